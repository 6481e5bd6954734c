// The toolkit-free main window, last layer: the window's own commands, the volume units and
// the currency. A window toolkit binds its widgets to the FieldStore and forwards events here.
#pragma once

#include "../files/files_window.h"

namespace tolvarn {

class TolvarnMain : public FilesWindow {
 public:
  using FilesWindow::FilesWindow;

  // Relabels the window for litres or gallons; converts nothing.
  void VolUnits1_Click() override;
  // Removes the currency symbol from the money fields, works out the symbol afresh from the
  // user's locale, puts it back, and labels the rate as VAT or tax.
  void ManageCurrency(bool StripSymbols, bool AddSymbols) override;

  void Save_Click();
  void AutoSave_Click();
  void Clear_Click();
  void ClearEntries();
  void Timer1_Timer();

  // Sets the window up as start-up does: the currency symbol from the locale, the tariff, units
  // and options from the configuration file (or, without it, an empty tariff in litres with
  // both options unticked), and empty item entries and results. `inhibit` acts as the
  // "-InhibitErrorCheck" argument.
  void Start(bool inhibit, bool read_configuration);

  // Sets a check box as the program does; a change runs the box's handler as a click would.
  void SetCheckBox(Field box, int value) override;

 private:
  std::string scratch_;  // reused while symbols are removed and added, to spare allocations
};

}  // namespace tolvarn
