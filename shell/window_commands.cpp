// The commands that belong to the window itself: Save, Auto Save, Clear and the status timer.
#include "shell/tolvarn_main.h"

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
    // The results the payback comparison would describe are gone, so is the comparison: a
    // payback shown after Clear would be about items no longer on the window.
    State().LastComparison.reset();
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

void TolvarnMain::OnTop_Click() {
  platform().window.SetTopMost(Fields().CheckValue(Field::OnTop) == 1);
}

void TolvarnMain::Start(bool inhibit, bool read_configuration) {
  State().InhibitErrorCheck = inhibit ? 1 : 0;
  PrepareWindow(read_configuration, false);
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
    case Field::OnTop:
      OnTop_Click();
      break;
    default:
      break;
  }
}

}  // namespace tolvarn
