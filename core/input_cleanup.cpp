// Input clean-up: each input shown in one tidy form, nothing where a value is zero or its item
// holds no data. Texts that are not numbers are left as they are.
#include "core/calc_window.h"

namespace tolvarn {

void CalcWindow::CleanWaterData() {
  Guarded("Cleanup Error", [&] {
    state_.ErrorLocation = 141;
    // The water charge and the payback period are never emptied: zero is not allowed for them.
    for (const Field field : {Field::SVCost, Field::SVAllow, Field::VRate, Field::AnInfT})
      if (Value(field) == 0) SetText(field, "");

    state_.ErrorLocation = 142;
    const auto format_if = [&](Field field, bool condition, int decimals) {
      if (condition) FormatField(field, decimals);
    };
    format_if(Field::SVCost, Value(Field::SVCost) > 0, 4);
    format_if(Field::SVAllow, Value(Field::SVAllow) > 0, 1);
    format_if(Field::WVCost, Value(Field::WVCost) > 0, 4);
    format_if(Field::PPeriod, Value(Field::PPeriod) > 0, 1);
    format_if(Field::VRate, Value(Field::VRate) > 0, 1);
    format_if(Field::AnInfT, Value(Field::AnInfT) >= -30.0, 1);
  });
}

void CalcWindow::CleanItemData() {
  Guarded("Cleanup Error", [&] {
    struct Input {
      Field field;
      bool item1;
      int decimals;
    };
    static constexpr Input kInputs[] = {{Field::Item1Use, true, 1},  {Field::Item2Use, false, 1},
                                        {Field::Item1UseD, true, 0}, {Field::Item2UseD, false, 0},
                                        {Field::Item1Cost, true, 2}, {Field::Item2Cost, false, 2}};

    state_.ErrorLocation = 231;
    for (const Input& input : kInputs) {
      const int16_t empty = input.item1 ? state_.Item1Empty : state_.Item2Empty;
      if (empty == 1 || Value(input.field) == 0) SetText(input.field, "");
    }
    state_.ErrorLocation = 232;
    for (const Input& input : kInputs)
      if (Value(input.field) > 0) FormatField(input.field, input.decimals);

    state_.ErrorLocation = 233;
    if (state_.Item1Empty == 1 || state_.Item2Empty == 1)
      for (const Field field : kComparisonFields)
        SetText(field, "");
  });
}

}  // namespace tolvarn
