// Payback: the yearly running cost of each item (water and sewerage unless unmetered, the energy
// it uses itself and the energy that heats its water, at today's prices), charged year by year at
// the inflated price and discounted back, and the point where the dearer item has earned back the
// difference in purchase cost.
#include "core/payback.h"

#include <algorithm>
#include <cmath>

#include "core/checked_math.h"
#include "core/number_text.h"
#include "core/text.h"

namespace tolvarn {
namespace {

constexpr double kDaysPerYear = 365;
constexpr double kPercent = 100;
constexpr double kUnitsPerCharge = 1000;  // litres per cubic metre, gallons per 1000 gallons
constexpr double kLitresPerCubicMetre = 1000;
constexpr int kMonthsPerYear = 12;
// How far apart two figures may be from rounding alone: far above a double's error on these
// sums, far below any cent or day that matters.
constexpr double kRoundingSlack = 1e-9;

const std::array<PaybackInputInfo, kPaybackInputCount> kTable = {{
    {PaybackInput::Horizon, "Horizon", "Years shown", "years",
     "How many years the comparison shows (1 to 50)", 1, 50, true, 15},
    {PaybackInput::Discount, "Discount", "Discount rate", "% a year",
     "What money a year later is worth less than money now, in percent a year (0 to 20)", 0, 20,
     false, 0},
    {PaybackInput::EnergyPrice, "EnergyPrice", "Energy price", "per kWh",
     "What a kWh of the energy that heats the water costs, taxes included (0 to 100)", 0, 100,
     false, 0},
    {PaybackInput::HeaterEfficiency, "HeaterEfficiency", "Heater efficiency", "%",
     "How much of the energy the water heater uses goes into the water, in percent; above 100 "
     "for a heat pump (10 to 500)",
     10, 500, false, 90},
    {PaybackInput::TemperatureRise, "TemperatureRise", "Temperature rise", "\u00B0C",
     "How many degrees the heater warms the water by (0 to 90)", 0, 90, false, 30},
    {PaybackInput::Co2PerKWh, "Co2PerKWh", "CO2e per kWh", "kg per kWh",
     "Greenhouse gas from a kWh of the energy used, in kg CO2e (0 to 5)", 0, 5, false, 0},
    {PaybackInput::Co2PerCubicMetre, "Co2PerCubicMetre", "CO2e per cubic metre", "kg per 1000 L",
     "Greenhouse gas from supplying and treating 1000 litres of water, in kg CO2e (0 to 10)", 0, 10,
     false, 0},
    {PaybackInput::OwnEnergyPrice, "OwnEnergyPrice", "Own energy price", "per kWh",
     "What a kWh of the energy the items use themselves costs (usually electricity), taxes "
     "included; empty: the same as the energy price (0 to 100)",
     0, 100, false, 0, true},
    {PaybackInput::Item1OwnEnergy, "Item1OwnEnergy", "Item 1 energy per use", "kWh",
     "The energy item 1 uses itself each time, besides heating its water (0 to 50)", 0, 50, false,
     0},
    {PaybackInput::Item1HotShare, "Item1HotShare", "Item 1 hot water share", "%",
     "How much of item 1's water the household's heater warms, in percent (0 to 100)", 0, 100,
     false, 0},
    {PaybackInput::Item2OwnEnergy, "Item2OwnEnergy", "Item 2 energy per use", "kWh",
     "The energy item 2 uses itself each time, besides heating its water (0 to 50)", 0, 50, false,
     0},
    {PaybackInput::Item2HotShare, "Item2HotShare", "Item 2 hot water share", "%",
     "How much of item 2's water the household's heater warms, in percent (0 to 100)", 0, 100,
     false, 0},
}};

}  // namespace

namespace {

// The place of each input that is a plain number (all but the horizon, an int, and the own
// energy price, which may be not set).
template <class Inputs>
auto* NumberSlot(Inputs& inputs, PaybackInput input) {
  auto& s = inputs.settings;
  switch (input) {
    case PaybackInput::Discount:
      return &s.Discount;
    case PaybackInput::EnergyPrice:
      return &s.EnergyPrice;
    case PaybackInput::HeaterEfficiency:
      return &s.HeaterEfficiency;
    case PaybackInput::TemperatureRise:
      return &s.TemperatureRise;
    case PaybackInput::Co2PerKWh:
      return &s.Co2PerKWh;
    case PaybackInput::Co2PerCubicMetre:
      return &s.Co2PerCubicMetre;
    case PaybackInput::Item1OwnEnergy:
      return &inputs.items[0].OwnEnergy;
    case PaybackInput::Item1HotShare:
      return &inputs.items[0].HotShare;
    case PaybackInput::Item2OwnEnergy:
      return &inputs.items[1].OwnEnergy;
    case PaybackInput::Item2HotShare:
      return &inputs.items[1].HotShare;
    case PaybackInput::Horizon:
    case PaybackInput::OwnEnergyPrice:
      break;
  }
  return static_cast<decltype(&s.Discount)>(nullptr);
}

}  // namespace

std::optional<double> PaybackInputValue(const PaybackInputs& inputs, PaybackInput input) {
  if (input == PaybackInput::Horizon) return inputs.settings.Horizon;
  if (input == PaybackInput::OwnEnergyPrice) return inputs.settings.OwnEnergyPrice;
  return *NumberSlot(inputs, input);
}

void SetPaybackInput(PaybackInputs& inputs, PaybackInput input, std::optional<double> value) {
  if (input == PaybackInput::OwnEnergyPrice) {
    inputs.settings.OwnEnergyPrice = value;
    return;
  }
  const double number = value.value_or(kTable[static_cast<size_t>(input)].fallback);
  if (input == PaybackInput::Horizon)
    inputs.settings.Horizon = static_cast<int>(number);
  else
    *NumberSlot(inputs, input) = number;
}

bool PaybackInputAccepts(const PaybackInputInfo& info, std::optional<double> value) {
  if (!value) return info.optional;
  return WithinRange(*value, info.minimum, info.maximum, info.whole);
}

std::string PaybackInputText(const PaybackInputs& inputs, PaybackInput input) {
  const std::optional<double> value = PaybackInputValue(inputs, input);
  return value ? TextOf(*value) : std::string();
}

namespace {

// An optional input's text that says "not set": nothing, or blanks alone.
bool SaysNotSet(const PaybackInputInfo& info, std::string_view text) {
  return info.optional && text.find_first_not_of(' ') == std::string_view::npos;
}

std::string RangeMessage(const PaybackInputInfo& info) {
  return std::string(info.label) +
         (info.whole ? " must be a whole number from " : " must be a number from ") +
         TextOf(info.minimum) + " to " + TextOf(info.maximum) + ".";
}

std::string Count(int count, std::string_view word) {
  return std::to_string(count) + " " + std::string(word) + (count == 1 ? "" : "s");
}

std::string ItemName(int item) {
  return "Item " + std::to_string(item);
}

// "Item 2 pays for itself after 3 years 4 months.": the whole years, and the rest of the year
// to the nearest month, a half going up.
std::string PaysBackHeadline(int item, double years) {
  int whole = static_cast<int>(std::floor(years));
  // A half month that binary arithmetic leaves a hair short still goes up.
  int months =
      static_cast<int>(std::floor((years - whole) * kMonthsPerYear + 0.5 + kRoundingSlack));
  if (months == kMonthsPerYear) {
    ++whole;
    months = 0;
  }
  if (whole == 0 && months == 0) return ItemName(item) + " pays for itself within a month.";
  std::string text = ItemName(item);
  text += " pays for itself after";
  // Appended piece by piece: GCC 12 at -O3 mistakes `text += " " + ...` for overlapping copies.
  for (const auto& [count, word] : {std::pair{whole, "year"}, {months, "month"}}) {
    if (count == 0) continue;
    text += ' ';
    text += Count(count, word);
  }
  text += '.';
  return text;
}

struct Yearly {
  double water = 0;   // in the window's volume units
  double cost = 0;    // R: water, sewerage and energy at today's prices
  double energy = 0;  // kWh
  double co2 = 0;     // kg CO2e
};

Yearly YearOf(const CalculatedInputs& c, const PaybackInputs& in, int k) {
  const PaybackSettings& s = in.settings;
  const CalculatedItem& item = c.items[k];
  const PaybackItemSettings& own = in.items[k];
  const double litres_per_unit = !c.Gallons ? 1 : LitresPerGallon(s.USGallons);
  const double uses = item.UsesPerDay * kDaysPerYear;
  Yearly y;
  y.water = item.Use * uses;
  const double bill = y.water / kUnitsPerCharge *
                      (c.WaterCharge + c.SewerageCharge * c.SewerageAllowance / kPercent) *
                      (1 + c.TaxRate / kPercent);
  const double heating = item.Use * litres_per_unit * (own.HotShare / kPercent) *
                         s.TemperatureRise * kKWhPerLitreDegree / (s.HeaterEfficiency / kPercent);
  y.energy = uses * (own.OwnEnergy + heating);
  // One price for all the energy prices it as one sum, which keeps every figure to the last bit
  // what a single price gives; two price each part of it.
  const double own_price = s.OwnEnergyPrice.value_or(s.EnergyPrice);
  const double energy_cost = own_price == s.EnergyPrice ? y.energy * s.EnergyPrice
                                                        : uses * own.OwnEnergy * own_price +
                                                              uses * heating * s.EnergyPrice;
  // Unmetered, the water and sewerage bill is the same whichever item is used.
  y.cost = s.Metered ? bill + energy_cost : energy_cost;
  y.co2 = y.energy * s.Co2PerKWh +
          y.water * litres_per_unit / kLitresPerCubicMetre * s.Co2PerCubicMetre;
  return y;
}

// Whether every figure can be written: finite, and below the top of the double range, whose
// 15-digit form would round up past the largest double.
bool Writable(const PaybackYear& year) {
  for (const double v : {year.cost[0], year.cost[1], year.difference, year.water[0], year.water[1],
                         year.energy[0], year.energy[1], year.co2[0], year.co2[1]})
    if (!(std::fabs(v) < 1.797693134862315e308)) return false;
  return true;
}

PaybackResult CannotWorkOut(std::string headline) {
  PaybackResult result;
  result.headline = std::move(headline);
  return result;
}

}  // namespace

const std::array<PaybackInputInfo, kPaybackInputCount>& PaybackInputTable() {
  return kTable;
}

std::vector<std::string> CheckPaybackInputs(
    const std::array<std::string, kPaybackInputCount>& texts, PaybackInputs& inputs) {
  std::vector<std::string> messages;
  PaybackInputs read = inputs;
  for (size_t i = 0; i < kPaybackInputCount; ++i) {
    const PaybackInputInfo& info = kTable[i];
    if (SaysNotSet(info, texts[i])) {
      SetPaybackInput(read, info.input, std::nullopt);
    } else if (!IsNumericText(texts[i]) || !PaybackInputAccepts(info, StrictTextValue(texts[i]))) {
      messages.push_back(RangeMessage(info));
    } else {
      SetPaybackInput(read, info.input, StrictTextValue(texts[i]));
    }
  }
  if (messages.empty()) inputs = read;
  return messages;
}

std::vector<std::string> CheckPaybackInputs(const PaybackInputs& inputs) {
  std::vector<std::string> messages;
  for (const PaybackInputInfo& info : kTable)
    if (!PaybackInputAccepts(info, PaybackInputValue(inputs, info.input)))
      messages.push_back(RangeMessage(info));
  return messages;
}

namespace {

// Years 0 to H: each item's purchase cost, then each year's running cost charged at that year's
// price and discounted back, and the water, energy and CO2e so far.
std::vector<PaybackYear> YearsOf(const CalculatedInputs& calculated,
                                 const std::array<Yearly, 2>& yearly,
                                 const PaybackSettings& settings) {
  const int horizon = settings.Horizon;
  const double growth = 1 + calculated.Inflation / kPercent;
  const double discount = 1 + settings.Discount / kPercent;
  std::vector<PaybackYear> years;
  years.reserve(static_cast<size_t>(horizon) + 1);
  PaybackYear year;
  for (int k = 0; k < 2; ++k)
    year.cost[k] = calculated.items[k].PurchaseCost;
  year.difference = year.cost[0] - year.cost[1];
  years.push_back(year);
  for (int y = 1; y <= horizon; ++y) {
    const double price_level = std::pow(growth, y) / std::pow(discount, y);
    year.year = y;
    for (int k = 0; k < 2; ++k) {
      year.cost[k] += yearly[k].cost * price_level;
      year.water[k] = yearly[k].water * y;
      year.energy[k] = yearly[k].energy * y;
      year.co2[k] = yearly[k].co2 * y;
    }
    year.difference = year.cost[0] - year.cost[1];
    years.push_back(year);
  }
  return years;
}

std::string SameToBuyHeadline(double r1, double r2) {
  return r1 == r2 ? "Both items cost the same to buy and to run."
                  : "Both items cost the same to buy; " +
                        std::string(r1 < r2 ? "item 1" : "item 2") + " costs less to run.";
}

// The break-even of x, the item dearer to buy, and the headline; false when the break-even is
// too large to work out.
bool FindBreakEven(PaybackResult& result, int x) {
  const int horizon = result.years.back().year;
  // How far the other item's cumulative cost is above x's.
  const auto ahead = [&](int y) {
    const PaybackYear& row = result.years[static_cast<size_t>(y)];
    return row.cost[1 - x] - row.cost[x];
  };
  for (int y = 1; y <= horizon; ++y) {
    double now = ahead(y);
    // Costs that meet exactly at a year's end count as met, though their sums differ in the
    // last bits.
    const PaybackYear& row = result.years[static_cast<size_t>(y)];
    const double tie = kRoundingSlack * std::max(std::abs(row.cost[0]), std::abs(row.cost[1]));
    if (now < -tie) continue;
    now = std::max(now, 0.0);
    const double before = ahead(y - 1);
    const double gap = before - now;
    if (!std::isfinite(gap)) return false;
    const double t = (y - 1) + before / gap;
    result.breakEven = BreakEven{x + 1, t};
    result.headline = PaysBackHeadline(x + 1, t);
    return true;
  }
  // One wording for every horizon, so that a script reading the headline needs no other.
  result.headline =
      ItemName(x + 1) + " does not pay for itself within " + std::to_string(horizon) + " years.";
  return true;
}

}  // namespace

PaybackResult WorkOutPayback(const CalculatedInputs& calculated, const PaybackInputs& inputs) {
  if (const auto messages = CheckPaybackInputs(inputs); !messages.empty())
    return CannotWorkOut(messages.front());

  const std::array<Yearly, 2> yearly = {YearOf(calculated, inputs, 0),
                                        YearOf(calculated, inputs, 1)};
  PaybackResult result;
  result.yearlyCost = {yearly[0].cost, yearly[1].cost};
  result.years = YearsOf(calculated, yearly, inputs.settings);

  const auto too_large = [] {
    return CannotWorkOut("The payback figures are too large to work out.");
  };
  if (!std::isfinite(result.yearlyCost[0]) || !std::isfinite(result.yearlyCost[1]))
    return too_large();
  for (const PaybackYear& y : result.years)
    if (!Writable(y)) return too_large();

  const double c1 = calculated.items[0].PurchaseCost;
  const double c2 = calculated.items[1].PurchaseCost;
  if (c1 == c2)
    result.headline = SameToBuyHeadline(result.yearlyCost[0], result.yearlyCost[1]);
  else if (!FindBreakEven(result, c1 > c2 ? 0 : 1))
    return too_large();
  result.ok = true;
  return result;
}

std::string PaybackCsv(const PaybackResult& result) {
  std::string csv =
      "year,item1,item2,difference,item1Water,item2Water,item1Energy,item2Energy,item1Co2,"
      "item2Co2";
  csv += kLineEnd;
  for (const PaybackYear& y : result.years) {
    csv += std::to_string(y.year);
    const auto add = [&csv](double value, int decimals) {
      csv += ',';
      csv += FormatFixed(value, decimals);
    };
    add(y.cost[0], 2);
    add(y.cost[1], 2);
    add(y.difference, 2);
    add(y.water[0], 1);
    add(y.water[1], 1);
    add(y.energy[0], 3);
    add(y.energy[1], 3);
    add(y.co2[0], 3);
    add(y.co2[1], 3);
    csv += kLineEnd;
  }
  return csv;
}

}  // namespace tolvarn
