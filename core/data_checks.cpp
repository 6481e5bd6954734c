// The data checks. None stops at the first fault and none shows anything: each failed rule
// appends its message, and the caller decides what to do with the collected text.
#include "core/calc_window.h"
#include "core/checked_math.h"
#include "core/item_fields.h"

namespace tolvarn {
void CalcWindow::AddCheckMessage(std::string_view message) {
  state_.CheckMessages += message;
  state_.CheckMessages += '\n';
}

void CalcWindow::CheckWaterData() {
  Guarded("Check Error", [&] {
    state_.ErrorLocation = 111;
    const auto check = [&](Field field, auto fails, std::string_view message) {
      if (Malformed(field) || fails(Value(field))) AddCheckMessage(message);
    };
    check(
        Field::PPeriod, [](double v) { return v < 1.0 || v > 10.0; },
        "Payback Period must be between 1.0 and 10.0 years");
    check(
        Field::SVCost, [](double v) { return (v < 0.1 && v != 0) || v > 5.0; },
        "Sewerage Volume Charge per cubic metre must be zero or between 0.1000 and 5.000");
    check(
        Field::SVAllow, [](double v) { return (v < 1.0 && v != 0) || v > 99.0; },
        "Sewerage Volume Allowance must be zero or between 1.0 and 99.0%");
    check(
        Field::VRate, [](double v) { return v != 0 && (v < 1.0 || v > 50.0); },
        "VAT Rate must be 0 or between 1.0 and 50.0%");
    check(
        Field::WVCost, [](double v) { return v < 0.1 || v > 5.0; },
        "Water Volume Charge per cubic metre must be between 0.1000 and 5.0000");
    check(
        Field::AnInfT, [](double v) { return v < -30.0 || v > 199.0; },
        "Annual Inflation Rate must be between -30.0% and 199.0%");
    if (state_.InhibitErrorCheck == 1) state_.CheckMessages.clear();
  });
}

void CalcWindow::CheckSewerage() {
  Guarded("Check Error", [&] {
    state_.ErrorLocation = 131;
    const double allowance = Value(Field::SVAllow);
    const double charge = Value(Field::SVCost);
    if (allowance == 0 && charge != 0)
      AddCheckMessage("The Sewerage Volume Allowance cannot be zero if the Sewerage Cost is set");
    else if (allowance != 0 && charge == 0)
      AddCheckMessage("The Sewerage Cost cannot be zero if the Sewerage Volume Allowance is set");
    if (state_.InhibitErrorCheck == 1) state_.CheckMessages.clear();
  });
}

void CalcWindow::CheckItemData() {
  Guarded("Check Error", [&] {
    state_.ErrorLocation = 121;
    using checked::Add;
    if (Add(Add(Value(Field::Item1Use), Value(Field::Item1UseD)), Value(Field::Item1Cost)) == 0)
      state_.Item1Empty = 1;
    if (Add(Add(Value(Field::Item2Use), Value(Field::Item2UseD)), Value(Field::Item2Cost)) == 0)
      state_.Item2Empty = 1;

    // Which use inputs are empty (no characters at all).
    const bool item1_use = Text(Field::Item1Use).empty();
    const bool item1_uses = Text(Field::Item1UseD).empty();
    const bool item2_use = Text(Field::Item2Use).empty();
    const bool item2_uses = Text(Field::Item2UseD).empty();
    // "Item n " + the unit word + the rest, built only when it is needed.
    const auto with_unit = [&](std::string_view item, std::string_view rest) {
      return std::string(item) + state_.UnitWord + std::string(rest);
    };

    // A value that must lie in [low, high]; when `empty_passes`, an empty text passes too.
    const auto fails = [&](Field field, double low, double high, bool empty_passes) {
      const double v = Value(field);
      const bool out_of_range = v < low || v > high;
      return Malformed(field) || (out_of_range && !(empty_passes && Text(field).empty()));
    };

    // An item entered alone needs its use inputs; an item entered at all needs a cost in range.
    const auto check_item = [&](const ItemFields& item, const ItemFields& other,
                                std::string_view cost_message) {
      if (state_.*item.Empty != 0) return;
      const std::string_view name = item.number == 1 ? "Item 1 " : "Item 2 ";
      if (state_.*other.Empty == 1) {
        if (fails(item.Use, 1.0, 500.0, false))
          AddCheckMessage(with_unit(name, " per Use must be between 1.0 and 500.0"));
        if (fails(item.UseD, 1.0, 99.0, false))
          AddCheckMessage(std::string(name) + "Uses per Day must be between 1 and 99");
      }
      if (fails(item.Cost, 0, 5000.0, true)) AddCheckMessage(cost_message);
    };
    state_.ErrorLocation = 122;
    check_item(kItem1, kItem2, "Item1 Cost must be between 0 and 5000.00");
    state_.ErrorLocation = 123;
    check_item(kItem2, kItem1, "Item 2 Cost must be between 0 and 5000.00");

    if (state_.Item1Empty == 0 && state_.Item2Empty == 0) {
      if (fails(Field::Item1Use, 1.0, 500.0, true))
        AddCheckMessage(with_unit("Item 1 ", " per Use must be empty or between 1.0 and 500.0"));
      if (fails(Field::Item1UseD, 1.0, 99.0, true))
        AddCheckMessage("Item 1 Uses per Day must be empty or between 1 and 99");
      if (fails(Field::Item2Use, 1.0, 500.0, true))
        AddCheckMessage(with_unit("Item 2 ", " per Use must be empty or between 1.0 and 500.0"));
      if (fails(Field::Item2UseD, 1.0, 99.0, true))
        AddCheckMessage("Item 2 Uses per Day must be empty pr between 1 and 99");
      // The two use inputs of an item go together.
      if (item1_use != item1_uses)
        AddCheckMessage(
            with_unit("Item 1 ", " per Use and Item 1 Uses per Day must both be empty or set"));
      if (item2_use != item2_uses)
        AddCheckMessage(
            with_unit("Item 2 ", " per Use and Item 2 Uses per Day must both be empty or set"));
      // At most one item may be given by its cost alone.
      const bool item1_unused = item1_use && item1_uses;
      const bool item2_unused = item2_use && item2_uses;
      const bool item1_incomplete = item1_use || item1_uses;
      const bool item2_incomplete = item2_use || item2_uses;
      if ((item1_unused && item2_incomplete) || (item2_unused && item1_incomplete))
        AddCheckMessage("Only one item can have Use and Use per Day not set");
    }
    if (state_.InhibitErrorCheck == 1) state_.CheckMessages.clear();
  });
}

}  // namespace tolvarn
