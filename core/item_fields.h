// The fields of one item, so that both items go through the same code.
#pragma once

#include <cstdint>

#include "core/field.h"
#include "core/window_state.h"

namespace tolvarn {

struct ItemFields {
  int number;  // 1 or 2
  Field Use, UseD, Cost;
  Field WCost, SCost, Day, Qtr, Period, W;
  int16_t WindowState::*Empty;
};

inline constexpr ItemFields kItem1{1,
                                   Field::Item1Use,
                                   Field::Item1UseD,
                                   Field::Item1Cost,
                                   Field::Item1WCost,
                                   Field::Item1SCost,
                                   Field::Item1Day,
                                   Field::Item1Qtr,
                                   Field::Item1Period,
                                   Field::Item1W,
                                   &WindowState::Item1Empty};

inline constexpr ItemFields kItem2{2,
                                   Field::Item2Use,
                                   Field::Item2UseD,
                                   Field::Item2Cost,
                                   Field::Item2WCost,
                                   Field::Item2SCost,
                                   Field::Item2Day,
                                   Field::Item2Qtr,
                                   Field::Item2Period,
                                   Field::Item2W,
                                   &WindowState::Item2Empty};

}  // namespace tolvarn
