// The Calculate command: checks, the running costs of both items, their comparison, the
// clean-up and the record. Every intermediate result is written into its field with full
// precision and read back from there, so each carried value is rounded to 15 significant
// digits between steps, and the 32-bit state values are rounded to 32 bits at every store.
#include <cmath>

#include "core/calc_window.h"
#include "core/checked_math.h"
#include "core/item_fields.h"

namespace tolvarn {

using checked::Add;
using checked::Div;
using checked::Mul;
using checked::Sub;
using checked::ToSingle;

namespace {
constexpr double kDaysPerYear = 365;
constexpr double kQuartersPerYear = 4;
constexpr double kUnitsPerCharge = 1000;  // litres per cubic metre, gallons per 1000 gallons
constexpr double kPercent = 100;
}  // namespace

void CalcWindow::Calc_Click() {
  Guarded("Calaculation Error", [&] {
    state_.ErrorLocation = 101;
    state_.CheckMessages.clear();
    state_.LastComparison.reset();
    ManageCurrency(true, false);

    CheckWaterData();
    CheckItemData();
    if (state_.CheckMessages.empty()) CheckSewerage();

    state_.ErrorLocation = 102;
    if (!state_.CheckMessages.empty()) {
      ManageCurrency(false, true);
      ShowMessage("Tolvarn Data Error", state_.CheckMessages, BoxIcon::Stop);
      state_.Item1Empty = 0;
      state_.Item2Empty = 0;
      return;
    }

    state_.ErrorLocation = 103;
    ClearResults();
    CalculateInflation();
    if (state_.Item1Empty == 0) CalculateItem(kItem1);
    state_.ErrorLocation = 104;
    if (state_.Item2Empty == 0) CalculateItem(kItem2);
    state_.ErrorLocation = 105;
    if (state_.Item1Empty == 0 && state_.Item2Empty == 0) {
      CompareItems();
      state_.LastComparison = ComparedInputs();
    }

    CleanWaterData();
    CleanItemData();
    FormatResults();
    ManageCurrency(false, true);

    state_.ErrorLocation = 106;
    state_.LastRecordKey.assign(state_.RecordBody).append(state_.CurrencySymbol);
    BuildRecord();

    const std::string& key = state_.LastRecordKey;
    const bool unchanged = key.size() == state_.RecordBody.size() + state_.CurrencySymbol.size() &&
                           key.starts_with(state_.RecordBody) &&
                           key.ends_with(state_.CurrencySymbol);
    if (unchanged) {
      ShowStatus("The Data Has Not Changed Since The Last Calculation");
    } else if (state_.Item1Empty != 0 && state_.Item2Empty != 0) {
      ShowStatus("No Data To Calculate");
      state_.RecordText.clear();
      state_.RecordBody.clear();
      state_.LastRecordKey.clear();
    } else if (fields_.CheckValue(Field::AutoSave) == 1) {
      AppendToLog();
    } else if (fields_.CheckValue(Field::AutoSave) == 0) {
      fields_.SetEnabled(Field::Save, true);
    }
    state_.Item1Empty = 0;
    state_.Item2Empty = 0;
  });
}

// Both factors stay 1 unless the inflation is at least -30 % and the period at least a year.
// Both conditions are evaluated, so an unreadable payback period always fails here.
void CalcWindow::CalculateInflation() {
  const auto applies = [&] {
    const bool inflation_in_range = Value(Field::AnInfT) >= -30;
    const bool period_in_range = Strict(Field::PPeriod) >= 1;
    return inflation_in_range && period_in_range;
  };
  const auto whole_years = [&] { return checked::FloorToInt16(Value(Field::PPeriod)); };

  state_.InflationFactor = 1;
  if (applies()) {
    const int16_t years = whole_years();
    for (int i = 1; i <= years; ++i)
      state_.InflationFactor =
          ToSingle(Mul(Add(Div(Value(Field::AnInfT), kPercent), 1), state_.InflationFactor));
  }
  state_.InflationSum = 1;
  if (applies()) {
    const int16_t years = whole_years();
    for (int i = 1; i <= years; ++i)
      state_.InflationSum = ToSingle(
          Add(checked::Pow(Add(1, Div(Value(Field::AnInfT), kPercent)), i), state_.InflationSum));
    state_.InflationSum = ToSingle(Sub(state_.InflationSum, 1));
  }
}

void CalcWindow::CalculateItem(const ItemFields& item) {
  const double period = Strict(Field::PPeriod);
  const double cost = Value(item.Cost);

  // The purchase cost spread over every day of the period, fraction of a year included.
  SetNumber(item.Day, 0);
  if (cost > 0) SetNumber(item.Day, Div(cost, Mul(period, kDaysPerYear)));

  // Use per use truncated to one decimal, uses per day to a whole number; the user sees these.
  SetNumber(item.Use, Div(std::trunc(Mul(Value(item.Use), 10)), 10));
  SetNumber(item.UseD, std::trunc(checked::Finite(Value(item.UseD))));
  const double use = Value(item.Use);
  const double uses_per_day = Value(item.UseD);

  if (item.number == 1) {
    state_.Item1DayWater = Mul(use, uses_per_day);
  } else {
    state_.Item2DayWater = ToSingle(FixedReadBack(Mul(uses_per_day, use), 1));
  }

  SetNumber(item.WCost, Mul(Mul(use, uses_per_day), Div(Value(Field::WVCost), kUnitsPerCharge)));
  SetNumber(item.SCost, Mul(Mul(Mul(use, uses_per_day), Div(Value(Field::SVCost), kUnitsPerCharge)),
                            Div(Value(Field::SVAllow), kPercent)));

  // Tax, then the price level of the last whole year of the period.
  for (const Field cost_field : {item.WCost, item.SCost}) {
    SetNumber(cost_field,
              Div(Mul(Strict(cost_field), Add(Value(Field::VRate), kPercent)), kPercent));
    SetNumber(cost_field, Mul(Strict(cost_field), state_.InflationFactor));
  }

  SetNumber(item.Day, Add(Add(Value(item.WCost), Value(item.SCost)), Value(item.Day)));

  if (item.number == 1) {
    state_.Item1QtrWater =
        ToSingle(Div(Mul(FullReadBack(state_.Item1DayWater), kDaysPerYear), kQuartersPerYear));
  } else {
    state_.Item2QtrWater =
        ToSingle(Div(Mul(SingleReadBack(state_.Item2DayWater), kDaysPerYear), kQuartersPerYear));
  }

  SetNumber(item.Qtr, Div(Mul(Value(item.Day), kDaysPerYear), kQuartersPerYear));

  // Each whole year i is charged 365 days at the price level (1 + r)^i: dividing by the
  // factor takes out the inflation already applied to the daily costs.
  SetNumber(item.Period, Add(Div(Mul(Mul(Add(Value(item.WCost), Value(item.SCost)), kDaysPerYear),
                                     state_.InflationSum),
                                 state_.InflationFactor),
                             cost));

  SetNumber(item.W, Mul(Mul(Mul(use, uses_per_day), period), kDaysPerYear));
}

// Read before the clean-up rounds the tariff and the costs for display: the values the items
// were worked out from, U and D already truncated.
CalculatedInputs CalcWindow::ComparedInputs() const {
  CalculatedInputs read;
  read.WaterCharge = Value(Field::WVCost);
  read.SewerageCharge = Value(Field::SVCost);
  read.SewerageAllowance = Value(Field::SVAllow);
  read.TaxRate = Value(Field::VRate);
  read.Inflation = Value(Field::AnInfT);
  read.Gallons = fields_.CheckValue(Field::VolUnits1) == 1;
  for (const ItemFields* item : {&kItem1, &kItem2})
    read.items[static_cast<size_t>(item->number - 1)] = {Value(item->Use), Value(item->UseD),
                                                         Value(item->Cost)};
  return read;
}

// Item 1 minus item 2, from the full-precision texts, before any result is formatted.
void CalcWindow::CompareItems() {
  state_.DayWaterDiff = ToSingle(Sub(state_.Item1DayWater, state_.Item2DayWater));
  state_.DayWaterDiff = ToSingle(FixedReadBack(state_.DayWaterDiff, 1));
  SetNumber(Field::DaySave, Sub(Strict(Field::Item1Day), Strict(Field::Item2Day)));
  ApplyDifferenceRule(Field::DaySave, 3);

  state_.QtrWaterDiff = ToSingle(Sub(state_.Item1QtrWater, state_.Item2QtrWater));
  state_.QtrWaterDiff = ToSingle(FixedReadBack(state_.QtrWaterDiff, 0));
  SetNumber(Field::QtrSave, Sub(Strict(Field::Item1Qtr), Strict(Field::Item2Qtr)));
  ApplyDifferenceRule(Field::QtrSave, 2);

  SetNumber(Field::PeriodSave, Sub(Strict(Field::Item1Period), Strict(Field::Item2Period)));
  ApplyDifferenceRule(Field::PeriodSave, 2);

  SetNumber(Field::PeriodWater, Sub(Strict(Field::Item1W), Strict(Field::Item2W)));
  ApplyDifferenceRule(Field::PeriodWater, 0);
}

}  // namespace tolvarn
