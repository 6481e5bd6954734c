// What the user sees of a calculation: empty fields for zero or absent values, fixed decimals,
// and comparison values shown as magnitudes, orange when item 2 is the dearer or thirstier.
#include "core/calc_window.h"
#include "core/checked_math.h"
#include "core/item_fields.h"

namespace tolvarn {

// The field already holds item 1 minus item 2 with full precision.
void CalcWindow::ApplyDifferenceRule(Field field, int decimals) {
  const double difference = Strict(field);
  if (difference < 0) {
    fields_.SetColour(field, kOrange);
    SetNumber(field, checked::Mul(difference, -1));
    if (field == Field::PeriodSave) state_.CostSaveLabel = kCostIncrease;
    if (field == Field::PeriodWater) state_.WaterSaveLabel = kWaterIncrease;
  }
  FormatField(field, decimals);
}

void CalcWindow::ClearResults() {
  Guarded("Clear Data1 Error", [&] {
    state_.ErrorLocation = 251;
    for (const Field field :
         {Field::Item1WCost, Field::Item2WCost, Field::Item1SCost, Field::Item2SCost,
          Field::Item1Day, Field::Item2Day, Field::Item1Qtr, Field::Item2Qtr, Field::Item1Period,
          Field::Item2Period, Field::Item1W, Field::Item2W})
      SetText(field, "");
    state_.ErrorLocation = 252;
    for (const Field field : kComparisonFields)
      SetText(field, "");
    for (const Field field : kComparisonFields)
      fields_.SetColour(field, kBlack);
    state_.ResetSavingLabels();
  });
}

void CalcWindow::FormatResults() {
  Guarded("Cleanup Error", [&] {
    FormatItemResults(kItem1, 151);
    FormatItemResults(kItem2, 153);
  });
}

// A negative result (possible only when the checks are inhibited) is neither emptied nor
// formatted. The water over the period follows the period cost, not its own value.
void CalcWindow::FormatItemResults(const ItemFields& item, int16_t blanking_code) {
  const bool empty = state_.*item.Empty == 1;
  state_.ErrorLocation = blanking_code;
  for (const Field field : {item.SCost, item.WCost, item.Day, item.Qtr, item.Period})
    if (Value(field) == 0 || empty) SetText(field, "");
  if (Value(item.Period) == 0 || empty) SetText(item.W, "");

  state_.ErrorLocation = static_cast<int16_t>(blanking_code + 1);
  for (const Field field : {item.SCost, item.WCost, item.Day})
    if (Value(field) > 0) FormatField(field, 3);
  for (const Field field : {item.Qtr, item.Period})
    if (Value(field) > 0) FormatField(field, 2);
  if (Value(item.Period) > 0) FormatField(item.W, 0);
}

}  // namespace tolvarn
