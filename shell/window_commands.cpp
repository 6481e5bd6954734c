// The commands that belong to the window itself: Save, Auto Save, Clear and the status timer.
#include "tolvarn_main.h"

namespace tolvarn {

void TolvarnMain::Save_Click() {
  if (!Fields().IsEnabled(Field::Save)) return;
  AppendToLog();
  Fields().SetEnabled(Field::Save, false);
}

void TolvarnMain::AutoSave_Click() {
  if (Fields().CheckValue(Field::AutoSave) == 1) Fields().SetEnabled(Field::Save, false);
}

void TolvarnMain::Clear_Click() {
  Guarded("Clear Error", [&] {
    State().ErrorLocation = 241;
    Fields().SetEnabled(Field::Save, false);
    ShowStatus("Data Cleared");
    ClearEntries();
  });
}

void TolvarnMain::ClearEntries() {
  Guarded("Clear Error", [&] {
    WindowState& state = State();
    state.ErrorLocation = 161;
    for (const Field field : {Field::Item1Use, Field::Item2Use, Field::Item1UseD, Field::Item2UseD})
      SetText(field, "");
    state.ErrorLocation = 162;
    for (const Field field : {Field::Notes, Field::Item1Cost, Field::Item2Cost})
      SetText(field, "");
    state.RecordText.clear();
    state.RecordBody.clear();
    state.LastRecordKey.clear();
    ClearResults();
    ManageCurrency(true, true);
  });
}

void TolvarnMain::Timer1_Timer() {
  Fields().SetCaption(Field::Status, "");
  Fields().SetEnabled(Field::Timer1, false);
}

void TolvarnMain::Start(bool inhibit, bool read_configuration) {
  WindowState& state = State();
  state.InhibitErrorCheck = inhibit ? 1 : 0;
  if (read_configuration) {
    // So that a key missing from the file fails its check.
    state.LogLevel = -1;
    state.RunOnTop = -1;
    for (const Field field :
         {Field::WVCost, Field::SVCost, Field::PPeriod, Field::SVAllow, Field::VRate})
      SetText(field, "-1");
  }
  state.CurrencySymbol = platform().locale.CurrencySymbol();
  ManageCurrency(true, true);
  if (read_configuration) {
    ReadConfig();
  } else {
    state.LogLevel = 1;
    state.RunOnTop = 1;
    state.VUnits = 1;
    SetCheckBox(Field::VolUnits1, 0);
    VolUnits1_Click();  // an unchanged box runs no handler
  }
  state.Item1Empty = 0;
  state.Item2Empty = 0;
  state.CostSaveLabel = "Cost Saving";
  state.WaterSaveLabel = "Water Use Saving";
  SetCheckBox(Field::OnTop, state.RunOnTop - 1);
  SetCheckBox(Field::AutoSave, state.LogLevel - 1);
  ClearEntries();
  Fields().SetEnabled(Field::Save, false);
}

void TolvarnMain::SetCheckBox(Field box, int value) {
  if (Fields().CheckValue(box) == value) return;
  Fields().SetCheckValue(box, value);
  switch (box) {
    case Field::VolUnits1:
      VolUnits1_Click();
      break;
    case Field::AutoSave:
      AutoSave_Click();
      break;
    default:
      break;
  }
}

}  // namespace tolvarn
