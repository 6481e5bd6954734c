// The tariff as a Calculate would read it now, for the household's costs: the same water data
// checks and sewerage rule, run on a copy of the tariff's fields with the currency symbol
// removed, so the window's fields and state stay exactly as they are.
#include <string_view>

#include "core/calc_window.h"
#include "core/memory_field_store.h"

namespace tolvarn {
namespace {

constexpr Field kTariffFields[] = {Field::PPeriod, Field::SVCost, Field::SVAllow,
                                   Field::VRate,   Field::WVCost, Field::AnInfT};

struct Unreadable {};

// A window of the tariff's fields alone, which only checks and reads them.
class TariffCheck final : public CalcWindow {
 public:
  using CalcWindow::CalcWindow;
  using CalcWindow::Value;
  void ManageCurrency(bool, bool) override {}
  void BuildRecord() override {}
  void AppendToLog() override {}
  [[noreturn]] void FatalError(std::string_view, int16_t) override { throw Unreadable{}; }
};

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    lines.emplace_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

}  // namespace

TariffReading CalcWindow::ReadTariffNow() const {
  MemoryFieldStore copy;
  const std::string& symbol = state_.CurrencySymbol;
  for (const Field field : kTariffFields) {
    std::string_view text = fields_.Text(field);
    if (!symbol.empty() && text.starts_with(symbol)) text.remove_prefix(symbol.size());
    copy.SetText(field, text);
  }
  TariffCheck check(copy, platform_);
  check.State().InhibitErrorCheck = state_.InhibitErrorCheck;
  TariffReading reading;
  try {
    check.CheckWaterData();
    if (check.State().CheckMessages.empty()) check.CheckSewerage();
  } catch (const Unreadable&) {
    reading.messages = {"The tariff cannot be read."};
    return reading;
  }
  reading.messages = Lines(check.State().CheckMessages);
  if (!reading.messages.empty()) return reading;
  reading.tariff = HouseholdTariff{check.Value(Field::WVCost), check.Value(Field::SVCost),
                                   check.Value(Field::SVAllow), check.Value(Field::VRate),
                                   fields_.CheckValue(Field::VolUnits1) == 1};
  return reading;
}

}  // namespace tolvarn
