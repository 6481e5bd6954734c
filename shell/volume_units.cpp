// Litres with charges per cubic metre, or gallons with charges per 1000 gallons.
#include "shell/tolvarn_main.h"

namespace tolvarn {

void TolvarnMain::VolUnits1_Click() {
  const bool gallons = Fields().CheckValue(Field::VolUnits1) != 0;
  const auto pick = [gallons](std::string_view litres, std::string_view gallon_text) {
    return gallons ? gallon_text : litres;
  };
  FieldStore& fields = Fields();
  WindowState& state = State();
  const auto caption = [&](Field label) {
    for (const UnitCaption& unit : kUnitCaptions)
      if (unit.label == label) fields.SetCaption(label, pick(unit.litres, unit.gallons));
  };
  caption(Field::Item1UseL);
  caption(Field::Item2UseL);
  fields.SetToolTip(Field::Item1Use, pick("Item 1 Water Use in litres (1.0 to 500.0)",
                                          "Item 1 Water Use in gallons (1.0 to 500.0)"));
  fields.SetToolTip(Field::Item2Use, pick("Item 2 Water Use in litres (1.0 to 500.0)",
                                          "Item 2 Water Use in gallons (1.0 to 500.0)"));
  caption(Field::Item1WatL);
  caption(Field::Item2WatL);
  caption(Field::ItemWatS);
  fields.SetToolTip(Field::Item1W, pick("Item 1 water use over Payback Period in litres",
                                        "Item 1 water use over Payback Period in gallons"));
  fields.SetToolTip(Field::Item2W, pick("Item 2 water use over Payback Period in litres",
                                        "Item 2 water use over Payback Period in gallons"));
  caption(Field::WVChargeL);
  caption(Field::SVChargeL);
  state.ChargeUnitText = pick("per Cubic Metre", "per 1000 Gallons");
  state.UnitAbbrev = pick("Ltr", "Gal");
  state.UnitWord = pick("litres", "gallons");
  fields.SetToolTip(Field::WVCost,
                    pick("Water Volume Charge per cubic metre ( 0.1000 to 5.0000)",
                         "Water Volume Charge per 1000 gallons ( 0.1000 to 5.0000)"));
  fields.SetToolTip(Field::SVCost,
                    pick("Sewerage Volume Charge per cubic metre (0 or 0.1000 to 5.0000)",
                         "Sewerage Volume Charge per 1000 gallons (0 or 0.1000 to 5.0000)"));
}

}  // namespace tolvarn
