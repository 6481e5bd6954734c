// Start-up and shutdown: the checks of the installation, the configuration, the results log
// and its start entry, the options and the empty entries; and the Exit command.
#include "core/text.h"
#include "shell/tolvarn_main.h"

namespace tolvarn {
namespace {

// Blanks around the argument do not matter.
bool IsInhibitArgument(std::string_view arguments) {
  return Trimmed(arguments) == "-InhibitErrorCheck";
}

}  // namespace

void TolvarnMain::PrepareWindow(bool read_configuration, bool window_start) {
  WindowState& state = State();
  if (read_configuration) {
    // So that a key missing from the configuration file fails its check.
    state.LogLevel = -1;
    state.RunOnTop = -1;
    for (const Field field :
         {Field::WVCost, Field::SVCost, Field::PPeriod, Field::SVAllow, Field::VRate})
      SetText(field, "-1");
  }
  if (window_start) state.ErrorLocation = 173;
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
  if (window_start) {
    state.ErrorLocation = 13;
    CreateResultsLog();
    state.ErrorLocation = 174;
    state.RecordText = "Tolvarn Started\r\n" + VersionText() + "\r\n" + DateTimeText() + "\r\n";
    AppendToLog();
    state.ErrorLocation = 175;
  }
  state.Item1Empty = 0;
  state.Item2Empty = 0;
  state.ResetSavingLabels();
  SetCheckBox(Field::OnTop, state.RunOnTop - 1);
  SetCheckBox(Field::AutoSave, state.LogLevel - 1);
  ClearEntries();
}

void TolvarnMain::Form_Load() {
  Guarded("Loading Error", [&] {
    State().ErrorLocation = 171;
    platform().window.SetTitle("Tolvarn");
    Check_Dir("Data");
    Check_Dir("Help");
    State().ErrorLocation = 172;
    State().InhibitErrorCheck = IsInhibitArgument(arguments_) ? 1 : 0;
    PrepareWindow(true, true);
  });
}

void TolvarnMain::Form_Activate() {
  if (Fields().CheckValue(Field::OnTop) == 1) platform().window.SetTopMost(true);
  Fields().SetEnabled(Field::Save, false);
}

void TolvarnMain::Exit_Click() {
  platform().window.Close();
  platform().process.EndProgram(0);
}

}  // namespace tolvarn
