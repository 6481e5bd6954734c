#include "shell/payback_panel.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "core/number_text.h"
#include "core/text.h"
#include "files/payback_settings.h"

namespace tolvarn {
namespace {

constexpr std::string_view kBothItemsNeeded =
    "The payback compares both items: enter both and click Calculate.";

// The settings come first in the input table, each item's values after them.
bool IsSetting(PaybackInput input) {
  return input < PaybackInput::Item1OwnEnergy;
}

// Letters for access keys: ASCII only, whatever the process's locale says.
bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A figure with `prefix` (a currency symbol) before its digits, and before both a minus sign
// when it is below zero, unless it rounds to zero: never "-0.00".
std::string Signed(double value, int decimals, std::string_view prefix = {}) {
  std::string text(prefix);
  text += FormatFixed(std::abs(value), decimals);
  if (value < 0 && text.find_first_not_of("0.", prefix.size()) != std::string::npos)
    text.insert(0, "-");
  return text;
}

}  // namespace

bool SameComparison(const std::optional<CalculatedInputs>& a,
                    const std::optional<CalculatedInputs>& b) {
  return a == b;
}

std::string MoneyText(double value, std::string_view currency) {
  return Signed(value, 2, currency);
}

std::vector<std::string> WithAccessKeys(const std::vector<std::string_view>& captions,
                                        std::string_view taken) {
  std::string used;
  for (const char c : taken)
    used += Lower(c);
  std::vector<std::string> keyed;
  for (const std::string_view caption : captions) {
    const auto free_at = [&](size_t at) {
      return IsLetter(caption[at]) && used.find(Lower(caption[at])) == std::string::npos;
    };
    size_t key = std::string_view::npos;
    for (size_t at = 0; at < caption.size() && key == std::string_view::npos; ++at)
      if ((at == 0 || caption[at - 1] == ' ') && free_at(at)) key = at;
    for (size_t at = 0; at < caption.size() && key == std::string_view::npos; ++at)
      if (free_at(at)) key = at;
    std::string text;
    for (size_t at = 0; at < caption.size(); ++at) {
      if (at == key) text += '&';
      text += caption[at];
      if (caption[at] == '&') text += '&';
    }
    if (key != std::string_view::npos) used += Lower(caption[key]);
    keyed.push_back(std::move(text));
  }
  return keyed;
}

std::vector<double> AxisTicks(double low, double high, int most) {
  if (!std::isfinite(low) || !std::isfinite(high) || most < 1) return {0, 1};
  if (high < low) std::swap(low, high);
  // The ends themselves, where round steps cannot be had in doubles (a span too small to
  // divide, or one beyond the largest double).
  const auto ends = [&]() -> std::vector<double> {
    if (low < high) return {low, high};
    return low < 0 ? std::vector<double>{low, 0} : std::vector<double>{0, std::max(low, 1.0)};
  };
  const double span = high - low;
  double step = 1;
  if (span > 0) {
    const double rough = span / most;
    const double power = std::pow(10, std::floor(std::log10(rough)));
    step = power * 10;
    for (const double factor : {1, 2, 5})
      if (factor * power >= rough) {
        step = factor * power;
        break;
      }
  } else if (low != 0) {
    step = std::pow(10, std::floor(std::log10(std::abs(low))));
  }
  if (!std::isfinite(step) || !(step > 0)) return ends();
  const double first = std::floor(low / step) * step;
  double last = std::ceil(high / step) * step;
  if (first == last) last = first + step;
  const double count = std::round((last - first) / step);
  if (!std::isfinite(first) || !std::isfinite(last) || !(count >= 1) || count > 4 * most)
    return ends();
  std::vector<double> ticks;
  for (int i = 0; i <= static_cast<int>(count); ++i)
    ticks.push_back(first + i * step);
  return std::isfinite(ticks.back()) ? ticks : ends();
}

std::vector<std::string> AxisTexts(const std::vector<double>& ticks) {
  std::vector<std::string> texts;
  if (ticks.empty()) return texts;
  double step = ticks.size() > 1 ? std::abs(ticks[1] - ticks[0]) : 1;
  double largest = 0;
  for (const double tick : ticks)
    largest = std::max(largest, std::abs(tick));
  if (!std::isfinite(step)) step = largest;
  // Below this a value is a rounding error of zero.
  const double zero = step * 1e-9;
  if (largest < 1e6) {
    int decimals = 0;
    while (decimals < 4 && std::abs(step * std::pow(10, decimals) -
                                    std::round(step * std::pow(10, decimals))) > 1e-9)
      ++decimals;
    for (const double tick : ticks)
      texts.push_back(FormatFixed(std::abs(tick) < zero ? 0 : tick, decimals));
    return texts;
  }
  // As few decimals as show each value to a thousandth of a step.
  for (int decimals = 1; decimals <= 6; ++decimals) {
    texts.clear();
    bool close = true;
    for (const double tick : ticks) {
      if (std::abs(tick) < zero) {
        texts.push_back("0");
        continue;
      }
      char number[32];
      const auto written = std::to_chars(number, number + sizeof number, tick,
                                         std::chars_format::scientific, decimals);
      double shown = 0;
      std::from_chars(number, written.ptr, shown);
      close = close && std::abs(shown - tick) <= step / 1000;
      // "3.0e+27" as "3.0e27".
      std::string text(number, written.ptr);
      const size_t e = text.find('e');
      std::string exponent = text.substr(e + 1);
      if (exponent.front() == '+') exponent.erase(0, 1);
      exponent.erase(0, std::min(exponent.find_first_not_of('0'), exponent.size() - 1));
      texts.push_back(text.substr(0, e + 1) + exponent);
    }
    if (close) break;
  }
  return texts;
}

PaybackPanel::PaybackPanel(FileSystem& files, MessageBoxes& boxes) : files_(files), boxes_(boxes) {
  for (size_t i = 0; i < kPaybackInputCount; ++i)
    texts_[i] = PaybackInputText(inputs_, PaybackInputTable()[i].input);
  saved_ = inputs_.settings;
}

void PaybackPanel::Open() {
  if (opened_) return;
  opened_ = true;
  PaybackSettingsReading reading = ReadPaybackSettings(files_);
  status_ = JoinLines(reading.problems);
  inputs_.settings = reading.settings;
  saved_ = reading.settings;
  for (const PaybackInputInfo& info : PaybackInputTable())
    if (IsSetting(info.input)) texts_[Index(info.input)] = PaybackInputText(inputs_, info.input);
  WorkOut();
}

std::string PaybackPanel::Unit(PaybackInput input) const {
  const std::string_view unit = PaybackInputTable()[Index(input)].unit;
  if (input != PaybackInput::EnergyPrice && input != PaybackInput::OwnEnergyPrice)
    return std::string(unit);
  return currency_ + " " + std::string(unit);
}

void PaybackPanel::SetText(PaybackInput input, std::string_view text) {
  if (texts_[Index(input)] == text) return;
  texts_[Index(input)] = text;
  WorkOut();
}

void PaybackPanel::SetUSGallons(bool on) {
  if (inputs_.settings.USGallons == on) return;
  inputs_.settings.USGallons = on;
  WorkOut();
}

void PaybackPanel::SetMetered(bool on) {
  if (inputs_.settings.Metered == on) return;
  inputs_.settings.Metered = on;
  WorkOut();
}

bool PaybackPanel::Follow(const std::optional<CalculatedInputs>& comparison,
                          std::string_view currency) {
  const bool same = SameComparison(comparison, comparison_);
  if (same && currency == currency_) return false;
  comparison_ = comparison;
  currency_ = currency;
  if (same)
    FormatResult();  // only the money texts change
  else
    WorkOut();
  return true;
}

std::string PaybackPanel::Notice() const {
  if (!messages_.empty()) return JoinLines(messages_);
  if (!comparison_) return std::string(kBothItemsNeeded);
  return {};
}

const std::string& PaybackPanel::Headline() const {
  static const std::string kNone;
  return result_ ? result_->headline : kNone;
}

std::string PaybackPanel::ColumnTitle(int column) const {
  static constexpr std::array<std::string_view, kColumns> kTitles = {"Year",
                                                                     "Item 1\ncost",
                                                                     "Item 2\ncost",
                                                                     "Difference",
                                                                     "Item 1 water",
                                                                     "Item 2 water",
                                                                     "Item 1 energy\n(kWh)",
                                                                     "Item 2 energy\n(kWh)",
                                                                     "Item 1 CO2e\n(kg)",
                                                                     "Item 2 CO2e\n(kg)"};
  if (column < 0 || column >= kColumns) return {};
  std::string title(kTitles[static_cast<size_t>(column)]);
  if (column == 4 || column == 5)
    title += comparison_ && comparison_->Gallons ? "\n(gallons)" : "\n(litres)";
  return title;
}

void PaybackPanel::WorkOut() {
  messages_ = CheckPaybackInputs(texts_, inputs_);
  result_.reset();
  if (messages_.empty() && comparison_) result_ = WorkOutPayback(*comparison_, inputs_);
  FormatResult();
}

void PaybackPanel::FormatResult() {
  rows_.clear();
  totals_.clear();
  if (!result_ || !result_->ok || result_->years.empty()) return;
  rows_.reserve(result_->years.size());
  for (const PaybackYear& year : result_->years) {
    std::array<std::string, kColumns>& row = rows_.emplace_back();
    row[0] = std::to_string(year.year);
    row[1] = MoneyText(year.cost[0], currency_);
    row[2] = MoneyText(year.cost[1], currency_);
    row[3] = MoneyText(year.difference, currency_);
    for (size_t k = 0; k < 2; ++k) {
      row[4 + k] = FormatFixed(year.water[k], 1);
      row[6 + k] = FormatFixed(year.energy[k], 3);
      row[8 + k] = FormatFixed(year.co2[k], 3);
    }
  }

  // What the item that costs more to buy saves against the other over the whole horizon; with
  // equal purchase costs, item 2 against item 1.
  const PaybackYear& last = result_->years.back();
  const PaybackYear& first = result_->years.front();
  const size_t dearer = first.cost[0] > first.cost[1] ? 0 : 1;
  const size_t other = 1 - dearer;
  const int horizon = last.year;
  const bool gallons = comparison_->Gallons;
  std::vector<std::string> lines = {
      "Saved by Item " + std::to_string(dearer + 1) + " against Item " + std::to_string(other + 1) +
          " over " + std::to_string(horizon) + (horizon == 1 ? " year" : " years") +
          " (a minus sign: it costs or uses more)",
      "Money: " + MoneyText(last.cost[other] - last.cost[dearer], currency_),
      "Water: " + Signed(last.water[other] - last.water[dearer], 1) +
          (gallons ? " gallons" : " litres"),
      "Energy: " + Signed(last.energy[other] - last.energy[dearer], 3) + " kWh"};
  if (inputs_.settings.Co2PerKWh > 0 || inputs_.settings.Co2PerCubicMetre > 0)
    lines.push_back("CO2e: " + Signed(last.co2[other] - last.co2[dearer], 3) + " kg");
  totals_ = JoinLines(lines);
}

bool PaybackPanel::Export(std::string_view path) {
  if (!CanExport() || path.empty()) return false;
  const FileStatus written = files_.Replace(path, PaybackCsv(*result_));
  if (written.ok()) {
    note_ = "Exported to " + std::string(path);
    return true;
  }
  note_.clear();
  std::string text = "Unable to write the file\r\n" + std::string(path) + "\r\n";
  if (written.error != 0) text += std::string(std::strerror(written.error)) + "\r\n";
  boxes_.Show({"Tolvarn Export Error", text + "The comparison has not been exported.",
               BoxIcon::Exclamation, BoxButtons::Ok});
  return false;
}

bool PaybackPanel::Close() {
  if (!opened_) return false;
  // Each setting typed right is kept; one typed wrong keeps what the file held, whatever
  // passed on the way to it, and the status line says so when the window opens again.
  PaybackInputs kept;
  kept.settings = saved_;
  kept.settings.USGallons = inputs_.settings.USGallons;
  kept.settings.Metered = inputs_.settings.Metered;
  std::vector<std::string> not_kept;
  for (const PaybackInputInfo& info : PaybackInputTable()) {
    // Each item's values are never kept.
    if (!IsSetting(info.input)) continue;
    std::array<std::string, kPaybackInputCount> one;
    for (const PaybackInputInfo& other : PaybackInputTable())
      one[Index(other.input)] =
          other.input == info.input ? Text(info.input) : PaybackInputText(kept, other.input);
    PaybackInputs read = kept;
    const std::vector<std::string> problems = CheckPaybackInputs(one, read);
    if (!problems.empty()) {
      not_kept.push_back("Not saved: " + problems.front());
      continue;
    }
    SetPaybackInput(kept, info.input, PaybackInputValue(read, info.input));
  }
  note_ = JoinLines(not_kept);
  if (kept.settings == saved_) return false;
  if (!WritePaybackSettings(files_, kept.settings).ok()) {
    boxes_.Show({"Tolvarn Payback Settings File Error",
                 "Unable to write to the payback settings file\r\n" +
                     std::string(kPaybackSettingsPath) + "\r\nThe settings have not been saved.",
                 BoxIcon::Exclamation, BoxButtons::Ok});
    return false;
  }
  saved_ = kept.settings;
  status_.clear();  // the file's problems are mended by the file just written
  return true;
}

std::string PaybackPanel::Status() const {
  if (status_.empty()) return note_;
  if (note_.empty()) return status_;
  return status_ + "\n" + note_;
}

}  // namespace tolvarn
