// The data checks. None stops at the first fault and none shows anything: each failed rule
// appends its message, and the caller decides what to do with the collected text.
#include "calc_window.h"
#include "checked_math.h"

namespace tolvarn {
namespace {

// Not empty, and not a number as a whole.
bool Malformed(const std::string& text) {
  return !text.empty() && !IsNumericText(text);
}

}  // namespace

void CalcWindow::AddCheckMessage(std::string_view message) {
  state_.CheckMessages += message;
  state_.CheckMessages += '\n';
}

void CalcWindow::CheckWaterData() {
  Guarded("Check Error", [&] {
    state_.ErrorLocation = 111;
    const auto check = [&](Field field, auto fails, std::string_view message) {
      const std::string text = Text(field);
      if (Malformed(text) || fails(TextValue(text))) AddCheckMessage(message);
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

    const std::string item1_use = Text(Field::Item1Use);
    const std::string item1_uses = Text(Field::Item1UseD);
    const std::string item2_use = Text(Field::Item2Use);
    const std::string item2_uses = Text(Field::Item2UseD);
    const std::string& unit = state_.UnitWord;

    // A value that must lie in [low, high]; when `empty_passes`, an empty text passes too.
    const auto range = [&](const std::string& text, double low, double high, bool empty_passes,
                           std::string_view message) {
      const double v = TextValue(text);
      const bool out_of_range = v < low || v > high;
      if (Malformed(text) || (out_of_range && !(empty_passes && text.empty())))
        AddCheckMessage(message);
    };

    state_.ErrorLocation = 122;
    if (state_.Item1Empty == 0) {
      if (state_.Item2Empty == 1) {
        range(item1_use, 1.0, 500.0, false,
              "Item 1 " + unit + " per Use must be between 1.0 and 500.0");
        range(item1_uses, 1.0, 99.0, false, "Item 1 Uses per Day must be between 1 and 99");
      }
      range(Text(Field::Item1Cost), 0, 5000.0, true, "Item1 Cost must be between 0 and 5000.00");
    }
    state_.ErrorLocation = 123;
    if (state_.Item2Empty == 0) {
      if (state_.Item1Empty == 1) {
        range(item2_use, 1.0, 500.0, false,
              "Item 2 " + unit + " per Use must be between 1.0 and 500.0");
        range(item2_uses, 1.0, 99.0, false, "Item 2 Uses per Day must be between 1 and 99");
      }
      range(Text(Field::Item2Cost), 0, 5000.0, true, "Item 2 Cost must be between 0 and 5000.00");
    }

    if (state_.Item1Empty == 0 && state_.Item2Empty == 0) {
      range(item1_use, 1.0, 500.0, true,
            "Item 1 " + unit + " per Use must be empty or between 1.0 and 500.0");
      range(item1_uses, 1.0, 99.0, true, "Item 1 Uses per Day must be empty or between 1 and 99");
      range(item2_use, 1.0, 500.0, true,
            "Item 2 " + unit + " per Use must be empty or between 1.0 and 500.0");
      range(item2_uses, 1.0, 99.0, true, "Item 2 Uses per Day must be empty pr between 1 and 99");
      if (item1_use.empty() != item1_uses.empty())
        AddCheckMessage("Item 1 " + unit +
                        " per Use and Item 1 Uses per Day must both be empty or set");
      if (item2_use.empty() != item2_uses.empty())
        AddCheckMessage("Item 2 " + unit +
                        " per Use and Item 2 Uses per Day must both be empty or set");
      const bool item1_unused = item1_use.empty() && item1_uses.empty();
      const bool item2_unused = item2_use.empty() && item2_uses.empty();
      const bool item1_incomplete = item1_use.empty() || item1_uses.empty();
      const bool item2_incomplete = item2_use.empty() || item2_uses.empty();
      if ((item1_unused && item2_incomplete) || (item2_unused && item1_incomplete))
        AddCheckMessage("Only one item can have Use and Use per Day not set");
    }
    if (state_.InhibitErrorCheck == 1) state_.CheckMessages.clear();
  });
}

}  // namespace tolvarn
