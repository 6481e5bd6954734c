// The Payback window without its toolkit: the inputs as typed, the settings as the file held
// them, the comparison it follows, and every text it shows (messages, headline, the table by
// year, the totals). The Qt window binds its widgets to this and forwards their events.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/payback.h"
#include "platform/file_system.h"
#include "platform/message_box.h"

namespace tolvarn {

// Whether two comparisons read the same: a Calculate on unchanged data changes nothing.
bool SameComparison(const std::optional<CalculatedInputs>& a,
                    const std::optional<CalculatedInputs>& b);

// Money as the window shows it: the sign, the currency symbol, 2 decimals ("-£12.50"); a value
// that rounds to zero has no sign.
std::string MoneyText(double value, std::string_view currency);

// The captions with an access key each: "&" before the first letter (first letters of words
// preferred) that no earlier caption and none of `taken` uses, case aside; a caption with no
// free letter gets none. A "&" in a caption is doubled so that it shows.
std::vector<std::string> WithAccessKeys(const std::vector<std::string_view>& captions,
                                        std::string_view taken);

// The values of a chart axis from `low` to `high`: a round step (1, 2 or 5 times a power of
// ten) giving at most `most` steps, the first value at or below `low` and the last at or above
// `high`. Equal ends are widened by one step. Where doubles hold no such steps (a span below the
// smallest normal, or one beyond the largest double), the ends themselves: always finite.
std::vector<double> AxisTicks(double low, double high, int most);

// The texts of a chart axis's values, as short as they can be read: as many decimals as the
// step needs, and beyond six whole digits a number and a power of ten ("3.0e27"), with as many
// decimals as keep the values apart.
std::vector<std::string> AxisTexts(const std::vector<double>& ticks);

class PaybackPanel {
 public:
  // The table's columns: year, each item's cost, the difference, each item's water, energy and
  // CO2e.
  static constexpr int kColumns = 10;

  PaybackPanel(FileSystem& files, MessageBoxes& boxes);

  // Reads the settings file the first time; later calls change nothing. A file that cannot be
  // read or holds wrong values leaves the defaults in their place and says so on the status
  // line; it never ends the program.
  void Open();
  bool Opened() const { return opened_; }

  // The inputs as typed, and the unit shown after each (the currency symbol before a price).
  const std::string& Text(PaybackInput input) const { return texts_[Index(input)]; }
  bool USGallons() const { return inputs_.settings.USGallons; }
  bool Metered() const { return inputs_.settings.Metered; }
  std::string Unit(PaybackInput input) const;

  // Each change works the results out afresh.
  void SetText(PaybackInput input, std::string_view text);
  void SetUSGallons(bool on);
  void SetMetered(bool on);
  // Follows the main window: the last Calculate that compared both items (or none) and its
  // currency symbol. Returns whether anything the window shows may have changed.
  bool Follow(const std::optional<CalculatedInputs>& comparison, std::string_view currency);

  // What the window shows. `Messages` lists every input that fails, one line each; `Notice`
  // is those lines, or, with valid inputs but no comparison, that both items are needed.
  const std::vector<std::string>& Messages() const { return messages_; }
  std::string Notice() const;
  const PaybackResult* Result() const { return result_ ? &*result_ : nullptr; }
  const std::string& Headline() const;
  const std::string& Totals() const { return totals_; }
  // The status line: what the settings file held wrong, then what the last export or close did.
  std::string Status() const;
  const std::string& Currency() const { return currency_; }
  // The table by year: empty without a result. Titles may hold a line break.
  int Rows() const { return static_cast<int>(rows_.size()); }
  std::string ColumnTitle(int column) const;
  const std::string& Cell(int row, int column) const {
    return rows_[static_cast<size_t>(row)][static_cast<size_t>(column)];
  }

  // Export writes what the table shows, so only a result that worked out is exported.
  bool CanExport() const { return result_ && result_->ok; }
  // Writes the comparison to `path` (a whole file or nothing); a failure is shown in a box.
  // Returns whether the file was written.
  bool Export(std::string_view path);
  // On closing the window: saves the settings when they are valid and differ from what the
  // file held; a failure is shown in a box. Returns whether the file was written.
  bool Close();

 private:
  static size_t Index(PaybackInput input) { return static_cast<size_t>(input); }
  void WorkOut();
  void FormatResult();

  FileSystem& files_;
  MessageBoxes& boxes_;
  bool opened_ = false;
  PaybackSettings saved_;  // as the file held them, or as last saved
  std::array<std::string, kPaybackInputCount> texts_;
  PaybackInputs inputs_;  // the last inputs that all passed their checks
  std::optional<CalculatedInputs> comparison_;
  std::string currency_;
  std::vector<std::string> messages_;
  std::optional<PaybackResult> result_;
  std::vector<std::array<std::string, kColumns>> rows_;
  std::string totals_;
  std::string status_;  // the settings file's problems
  std::string note_;    // the last export's or close's word
};

}  // namespace tolvarn
