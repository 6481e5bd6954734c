// The toolkit-free main window, last layer: the window's own commands, the volume units and
// the currency. A window toolkit binds its widgets to the FieldStore and forwards events here.
#pragma once

#include "files/files_window.h"

namespace tolvarn {

// The address of the maker's web site, shown in the About window; every page opens as this
// followed by the page's path.
inline constexpr std::string_view kWebSiteBase = "https://quennix.example/";
inline constexpr std::string_view kCopyright = "\u00A9 2026 Quennix. Free to use and share.";

// The unit labels the units switch sets, with their captions in litres and in gallons (the
// window sizes them for the longer, so that a switch moves nothing).
struct UnitCaption {
  Field label;
  std::string_view litres, gallons;
};
inline constexpr UnitCaption kUnitCaptions[] = {
    {Field::Item1UseL, "Ltr", "Gal"},        {Field::Item2UseL, "Ltr", "Gal"},
    {Field::Item1WatL, "Ltr", "Gal"},        {Field::Item2WatL, "Ltr", "Gal"},
    {Field::ItemWatS, "Ltr", "Gal"},         {Field::WVChargeL, "/cu m", "/1000 Gal"},
    {Field::SVChargeL, "/cu m", "/1000 Gal"}};

class TolvarnMain : public FilesWindow {
 public:
  // `arguments` is the program's argument text ("-InhibitErrorCheck" or nothing).
  TolvarnMain(FieldStore& fields, const Platform& platform, std::string arguments = {})
      : FilesWindow(fields, platform), arguments_(std::move(arguments)) {}

  // Start-up and shutdown.
  void Form_Load();
  void Form_Activate();
  void Exit_Click();

  // Help, web pages and About.
  void Help1_Click();
  void Update_Click();
  void Logo_Click();
  void About_Click();
  void OpenWebPage(std::string_view page);
  // The About window's own handlers: what it shows, whether it stays on top, its address.
  struct AboutTexts {
    std::string title, name, version, website, copyright;
  };
  AboutTexts About_Load() const;
  bool About_Activate() const { return State().RunOnTop == 2; }
  void WebSite_Click() { OpenWebPage("index.htm"); }

  // Relabels the window for litres or gallons; converts nothing.
  void VolUnits1_Click() override;
  // Removes the currency symbol from the money fields, works out the symbol afresh from the
  // user's locale, puts it back, and labels the rate as VAT or tax.
  void ManageCurrency(bool StripSymbols, bool AddSymbols) override;

  void Save_Click();
  void AutoSave_Click();
  void OnTop_Click();
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
  // What start-up and Start share: currency, configuration, flags, options, empty entries; a
  // window's start also prepares the results log and records the start in it.
  void PrepareWindow(bool read_configuration, bool window_start);
  // The browser could not show a page: said whenever the handler reports it.
  void BrowserFailed(std::string_view target);

  std::string arguments_;
  std::string scratch_;  // reused while symbols are removed and added, to spare allocations
};

}  // namespace tolvarn
