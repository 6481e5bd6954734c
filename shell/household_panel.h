// The Household window without its toolkit: the household as typed, checked all at once with
// the model's messages, its figures worked out with the main window's tariff, units and
// currency and the payback settings, every text the window shows, and Compare, which fills the
// main window's two items from a fitting and its replacement. The Qt window binds its widgets
// to this and forwards their events.
//
// Household.ini is written when the window closes (and so when the program ends), not after
// each change: a change comes with each keystroke, and an update must stay well under a
// millisecond, which an atomic replace of a file is not.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/household.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "shell/payback_panel.h"
#include "shell/tolvarn_main.h"

namespace tolvarn {

inline constexpr std::string_view kTypicalHouseholdQuestion =
    "Tolvarn has no household of yours yet.\r\nStart from a typical household (two people, a "
    "mixer shower, a bath, a dual-flush WC, a washing machine and two taps)?";

// A fitting as typed: its values as texts, in the order of its kind's parameters.
struct FittingRow {
  std::string name;
  FittingKind kind = FittingKind::Shower;
  std::array<std::string, kMaxFittingParameters> texts{};
};
FittingRow RowOf(const Fitting& fitting);
// The fitting a row reads as: a text that is not a number reads as NaN, which the checks refuse.
Fitting FittingOf(const FittingRow& row);

class HouseholdPanel {
 public:
  // The figures of one fitting as the window's list shows them.
  struct RowTexts {
    std::string litres;  // a day
    std::string kWh;     // own and heater energy a day
    std::string cost;    // a day, empty when money cannot be shown
  };

  HouseholdPanel(TolvarnMain& main, FileSystem& files, MessageBoxes& boxes);

  // The Payback window's logic, once it exists: its valid settings then take the place of
  // Payback.ini's.
  void SetPayback(const PaybackPanel* payback) { payback_ = payback; }

  // Reads Household.ini the first time (a first-time user, with no file, is asked whether to
  // start from the typical household); later calls change nothing.
  void Open();
  bool Opened() const { return opened_; }

  // Edits. Each works the figures out afresh; none is refused, a wrong value shows a message.
  const std::string& SettingText(HouseholdInput input) const {
    return setting_texts_[static_cast<size_t>(input)];
  }
  void SetSettingText(HouseholdInput input, std::string_view text);
  size_t Count() const { return rows_.size(); }
  const FittingRow& Row(size_t index) const { return rows_[index]; }
  // Adds a preset's fitting at the end; false (nothing added) with 30 fittings already.
  bool AddPreset(size_t preset);
  void SetName(size_t index, std::string_view name);
  // A new kind takes the kind's defaults for its values.
  void SetKind(size_t index, FittingKind kind);
  void SetValueText(size_t index, size_t parameter, std::string_view text);
  void Remove(size_t index);
  // Swaps the fitting with the one before (up) or after it; false at an end.
  bool MoveUp(size_t index);
  bool MoveDown(size_t index);

  // Follows the main window's tariff, units and currency and the payback settings; returns
  // whether anything the window shows may have changed.
  bool Follow();

  // What the window shows. Messages: every value that fails its check, one line each (then
  // nothing is worked out); MoneyNotice: why costs are not shown, when they are not.
  const std::vector<std::string>& Messages() const { return messages_; }
  const std::string& MoneyNotice() const { return money_notice_; }
  bool HasFigures() const { return figures_.has_value(); }
  const HouseholdFigures* Figures() const { return figures_ ? &*figures_ : nullptr; }
  RowTexts FigureTexts(size_t index) const;
  std::string TotalText() const;      // "312.5 litres a day"
  std::string PerPersonText() const;  // "156.3 litres a person a day"
  std::string AverageText() const;    // "GB average 142"
  std::string MeterText() const;      // the headline, the metered bill and the break-even
  std::string Status() const;         // what the file held wrong, then what closing did
  const std::string& Currency() const { return currency_; }
  bool Gallons() const { return tariff_gallons_; }

  // Compare: the fitting, its replacement (a copy of the fitting to start with) and the
  // replacement's purchase cost.
  void SetCompareFitting(size_t index);
  size_t CompareFittingIndex() const { return compare_fitting_; }
  void SetReplacementPreset(size_t preset);
  void SetReplacementKind(FittingKind kind);
  void SetReplacementText(size_t parameter, std::string_view text);
  void SetReplacementCost(std::string_view cost) { replacement_cost_ = cost; }
  const FittingRow& Replacement() const { return replacement_; }
  const std::string& ReplacementCost() const { return replacement_cost_; }
  // Puts the fitting into Item 1 and the replacement into Item 2, sets `payback`'s per-item
  // values and runs `calculate`. Returns the messages that stopped it (nothing changed then).
  std::vector<std::string> Compare(PaybackPanel& payback, const std::function<void()>& calculate);

  // On closing the window: writes the household when it differs from what the file held (the
  // last household that passed its checks); a failure is shown in a box. Returns whether the
  // file was written.
  bool Close();

 private:
  void WorkOut();
  PaybackSettings CurrentPaybackSettings() const;

  TolvarnMain& main_;
  FileSystem& files_;
  MessageBoxes& boxes_;
  const PaybackPanel* payback_ = nullptr;
  bool opened_ = false;
  std::optional<PaybackSettings> file_payback_;  // Payback.ini, read on opening
  std::array<std::string, kHouseholdInputCount> setting_texts_;
  std::vector<FittingRow> rows_;
  Household household_;             // the last household that passed its checks
  std::optional<Household> saved_;  // as the file held it; none: no file yet
  std::vector<std::string> messages_;
  std::optional<HouseholdFigures> figures_;
  std::string money_notice_;
  std::string currency_;
  bool tariff_gallons_ = false;
  // What the figures were worked out with, so that Follow can tell a change.
  std::optional<HouseholdTariff> tariff_;
  std::vector<std::string> tariff_messages_;
  PaybackSettings payback_settings_;
  size_t compare_fitting_ = 0;
  FittingRow replacement_;
  std::string replacement_cost_;
  std::string status_;
  std::string note_;
};

}  // namespace tolvarn
