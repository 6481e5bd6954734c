// What Compare puts into the main window: a fitting and its replacement as the two items, and
// their payback values, shared by the Household window and tolvarn-calc --use-fitting.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/field_store.h"
#include "core/household.h"

namespace tolvarn {

// Writes the item's use, uses a day and purchase cost (`cost` as typed; empty for the fitting
// being replaced) into the main window's fields. `item` is 1 or 2.
void PutFittingIntoItem(FieldStore& fields, int item, const ComparedFitting& compared,
                        std::string_view cost);

// The item's payback texts, energy per use then hot water share, in full precision.
std::array<std::string, 2> PaybackItemTexts(const ComparedFitting& compared);

}  // namespace tolvarn
