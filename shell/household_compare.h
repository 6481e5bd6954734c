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

// Whether the main window's checks take what Compare puts into an item: at most 99 uses a
// day, and at most 50 kWh of its own energy a use. A fitting of more (tens of thousands of
// litres a day, or an electric shower in gallons) cannot be compared.
bool FitsOneItem(const ComparedFitting& compared);
inline constexpr std::string_view kTooMuchForOneItem =
    "uses more than one item can hold (99 uses a day, 50 kWh a use), too much to compare";

// The item's payback texts, energy per use then hot water share, in full precision.
std::array<std::string, 2> PaybackItemTexts(const ComparedFitting& compared);

}  // namespace tolvarn
