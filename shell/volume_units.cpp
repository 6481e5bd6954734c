// Litres with charges per cubic metre, or gallons with charges per 1000 gallons.
#include "shell/tolvarn_main.h"

namespace tolvarn {
namespace {

// The inputs and results whose tooltips name the unit.
struct UnitToolTip {
  Field field;
  std::string_view litres, gallons;
};
constexpr UnitToolTip kUnitToolTips[] = {
    {Field::Item1Use, "Item 1 Water Use in litres (1.0 to 500.0)",
     "Item 1 Water Use in gallons (1.0 to 500.0)"},
    {Field::Item2Use, "Item 2 Water Use in litres (1.0 to 500.0)",
     "Item 2 Water Use in gallons (1.0 to 500.0)"},
    {Field::Item1W, "Item 1 water use over Payback Period in litres",
     "Item 1 water use over Payback Period in gallons"},
    {Field::Item2W, "Item 2 water use over Payback Period in litres",
     "Item 2 water use over Payback Period in gallons"},
    {Field::WVCost, "Water Volume Charge per cubic metre ( 0.1000 to 5.0000)",
     "Water Volume Charge per 1000 gallons ( 0.1000 to 5.0000)"},
    {Field::SVCost, "Sewerage Volume Charge per cubic metre (0 or 0.1000 to 5.0000)",
     "Sewerage Volume Charge per 1000 gallons (0 or 0.1000 to 5.0000)"},
};

}  // namespace

void TolvarnMain::VolUnits1_Click() {
  const bool gallons = Fields().CheckValue(Field::VolUnits1) != 0;
  const auto pick = [gallons](std::string_view litres, std::string_view gallon_text) {
    return gallons ? gallon_text : litres;
  };
  FieldStore& fields = Fields();
  WindowState& state = State();
  for (const UnitCaption& unit : kUnitCaptions)
    fields.SetCaption(unit.label, pick(unit.litres, unit.gallons));
  for (const UnitToolTip& tip : kUnitToolTips)
    fields.SetToolTip(tip.field, pick(tip.litres, tip.gallons));
  state.ChargeUnitText = pick("per Cubic Metre", "per 1000 Gallons");
  state.UnitAbbrev = pick("Ltr", "Gal");
  state.UnitWord = pick("litres", "gallons");
}

}  // namespace tolvarn
