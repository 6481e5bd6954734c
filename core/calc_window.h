// The toolkit-free main window, first layer: its state and the cost calculation (data checks,
// input clean-up, the calculation and the presentation of its results).
//
// The window object is built in three layers, one per subsystem and one library each:
//   CalcWindow (core)  ->  FilesWindow (files: record, log, fatal errors)
//                      ->  TolvarnMain (shell: start-up, window commands, units, currency).
// A layer calls into a later one only through the virtual procedures declared here, so the
// libraries depend on each other in one direction. Every procedure reaches the window through
// FieldStore and the outside world through Platform.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/field_store.h"
#include "core/household.h"
#include "core/number_text.h"
#include "core/window_state.h"
#include "platform/platform.h"

namespace tolvarn {

struct ItemFields;

// The tariff as a Calculate would read it now: none, with the checks' messages, when it fails
// them.
struct TariffReading {
  std::optional<HouseholdTariff> tariff;
  std::vector<std::string> messages;
};

class CalcWindow {
 public:
  CalcWindow(FieldStore& fields, const Platform& platform) : fields_(fields), platform_(platform) {}
  virtual ~CalcWindow() = default;
  CalcWindow(const CalcWindow&) = delete;
  CalcWindow& operator=(const CalcWindow&) = delete;

  WindowState& State() { return state_; }
  const WindowState& State() const { return state_; }
  FieldStore& Fields() { return fields_; }

  // The Calculate command.
  void Calc_Click();

  // What the tariff's fields read as now, checked as Calculate checks them, without changing
  // any field or the window's state.
  TariffReading ReadTariffNow() const;

  // Data checks: each failed rule appends its message and a line feed to CheckMessages.
  void CheckWaterData();
  void CheckSewerage();
  void CheckItemData();

  // Input clean-up: rewrites the inputs into their display formats.
  void CleanWaterData();
  void CleanItemData();

  // Result presentation.
  void ClearResults();
  void FormatResults();

  // Procedures of the later layers that the calculation calls.
  virtual void ManageCurrency(bool StripSymbols, bool AddSymbols) = 0;
  virtual void BuildRecord() = 0;
  virtual void AppendToLog() = 0;
  // Reports the failed step and ends the program; never returns.
  [[noreturn]] virtual void FatalError(std::string_view OperationName, int16_t Location) = 0;

 protected:
  const std::string& Text(Field field) const { return fields_.Text(field); }
  void SetText(Field field, std::string_view text) { fields_.SetText(field, text); }
  // A field's text read leniently (TextValue) or strictly (StrictTextValue, which throws), both
  // through the cache of readings below, which holds until the field's text changes.
  double Value(Field field) const { return Parse(field).reading.value; }
  // Whether the text is not empty and not a number as a whole.
  bool Malformed(Field field) const {
    return !Parse(field).reading.numeric && !Text(field).empty();
  }
  double Strict(Field field) const;
  // Writes a number into a field with full precision.
  void SetNumber(Field field, double value);
  // Gives a field's text a fixed format when it is a number; other text stays as it is.
  void FormatField(Field field, int decimals);
  // A value written as the window would write it and read back: with a fixed format, in full
  // (15 significant digits), or in full as a 32-bit value (7).
  double FixedReadBack(double value, int decimals);
  double FullReadBack(double value);
  double SingleReadBack(float value);
  // Status line text that the timer clears again.
  void ShowStatus(std::string_view text);
  // A message box with an OK button; EndWithMessage then ends the program.
  void ShowMessage(std::string_view title, std::string_view text, BoxIcon icon);
  [[noreturn]] void EndWithMessage(std::string_view title, std::string_view text, BoxIcon icon);
  const Platform& platform() const { return platform_; }

  // Runs a procedure's body; any run-time failure in it goes to FatalError with the
  // procedure's operation name and the step reached.
  template <class Body>
  void Guarded(std::string_view operation, Body&& body) {
    try {
      body();
    } catch (const std::exception&) {
      FatalError(operation, state_.ErrorLocation);
    }
  }

 private:
  void CalculateInflation();
  void CalculateItem(const ItemFields& item);
  void CompareItems();
  CalculatedInputs ComparedInputs() const;
  void ApplyDifferenceRule(Field field, int decimals);
  void AddCheckMessage(std::string_view message);
  void FormatItemResults(const ItemFields& item, int16_t blanking_code);

  // What a field's text read as, kept while its text stays the same: a calculation reads most
  // fields several times between changes.
  struct ParsedText {
    uint64_t revision = 0;
    bool valid = false;
    NumberReading reading;
  };
  const ParsedText& Parse(Field field) const;

  FieldStore& fields_;
  Platform platform_;
  WindowState state_;
  mutable std::array<ParsedText, kFieldCount> parsed_;
  NumberText number_text_;  // each number written goes through here into its field
};

}  // namespace tolvarn
