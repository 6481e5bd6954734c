// The payback comparison on any typed inputs and any figures a Calculate could hand it (the
// checks inhibited included): no crash, and nothing that is not finite in a year, the CSV or an
// axis of the chart.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/payback.h"
#include "fuzz/fuzz_support.h"
#include "shell/payback_panel.h"

namespace {

// The next double of the input, taken whole from its bytes (NaN and infinity included).
double NextDouble(const uint8_t*& data, size_t& size) {
  double value = 0;
  if (size >= sizeof value) {
    std::memcpy(&value, data, sizeof value);
    data += sizeof value;
    size -= sizeof value;
  }
  return value;
}

void CheckFinite(double value, const std::string& what) {
  if (!std::isfinite(value)) tolvarn::fuzz::Fail("a figure that is not finite", what);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tolvarn;
  constexpr size_t kFigures = 13;
  if (size < kFigures * sizeof(double) + 1) return 0;
  CalculatedInputs calculated;
  for (double* figure : {&calculated.WaterCharge, &calculated.SewerageCharge,
                         &calculated.SewerageAllowance, &calculated.TaxRate, &calculated.Inflation})
    *figure = NextDouble(data, size);
  for (CalculatedItem& item : calculated.items)
    for (double* figure : {&item.Use, &item.UsesPerDay, &item.PurchaseCost})
      *figure = NextDouble(data, size);
  const double low = NextDouble(data, size);
  const double high = NextDouble(data, size);
  calculated.Gallons = (data[0] & 1) != 0;
  PaybackInputs inputs;
  inputs.settings.USGallons = (data[0] & 2) != 0;
  const auto texts = fuzz::SplitTexts(data + 1, size - 1, kPaybackInputCount);
  std::array<std::string, kPaybackInputCount> typed;
  std::copy(texts.begin(), texts.end(), typed.begin());
  CheckPaybackInputs(typed, inputs);  // a failed check leaves the defaults
  if (!CheckPaybackInputs(inputs).empty()) fuzz::Fail("inputs out of range after the check", "");

  // A Calculate hands over only finite figures.
  for (const double figure :
       {calculated.WaterCharge, calculated.SewerageCharge, calculated.SewerageAllowance,
        calculated.TaxRate, calculated.Inflation})
    if (!std::isfinite(figure)) return 0;
  for (const CalculatedItem& item : calculated.items)
    if (!std::isfinite(item.Use) || !std::isfinite(item.UsesPerDay) ||
        !std::isfinite(item.PurchaseCost))
      return 0;
  const PaybackResult result = WorkOutPayback(calculated, inputs);
  if (result.headline.empty()) fuzz::Fail("an empty headline", "");
  if (!result.ok && !result.years.empty()) fuzz::Fail("years without figures", result.headline);
  for (const PaybackYear& year : result.years)
    for (const double figure :
         {year.cost[0], year.cost[1], year.difference, year.water[0], year.water[1], year.energy[0],
          year.energy[1], year.co2[0], year.co2[1]})
      CheckFinite(figure, result.headline);
  const std::string csv = PaybackCsv(result);
  if (csv.find("inf") != std::string::npos || csv.find("nan") != std::string::npos)
    fuzz::Fail("a CSV cell that is not a number", csv);
  const std::vector<double> ticks = AxisTicks(low, high, 6);
  for (const double tick : ticks)
    CheckFinite(tick, "an axis tick");
  for (const std::string& text : AxisTexts(ticks))
    if (text.empty() || text.find_first_of("in") != std::string::npos)
      fuzz::Fail("an axis text", text);
  return 0;
}
