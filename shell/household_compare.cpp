#include "shell/household_compare.h"

#include "core/item_fields.h"
#include "core/number_text.h"

namespace tolvarn {

void PutFittingIntoItem(FieldStore& fields, int item, const ComparedFitting& compared,
                        std::string_view cost) {
  const ItemFields& target = item == 1 ? kItem1 : kItem2;
  fields.SetText(target.Use, compared.useText);
  fields.SetText(target.UseD, std::to_string(compared.usesPerDay));
  fields.SetText(target.Cost, cost);
}

bool FitsOneItem(const ComparedFitting& compared) {
  return compared.usesPerDay <= 99 && compared.ownEnergy <= 50;
}

std::array<std::string, 2> PaybackItemTexts(const ComparedFitting& compared) {
  return {TextOf(compared.ownEnergy), TextOf(compared.hotShare)};
}

}  // namespace tolvarn
