// The input clean-up: zero values and items without data are shown empty, every other number in
// its display format, and text that is not a number is left for the user to see.
#include <string>

#include "window_fixture.h"

namespace tolvarn {
namespace {

using testing::WindowTest;

using WaterDataCleanup = WindowTest;

// The sewerage charge and allowance, the period, the rate, the water charge, the inflation.
constexpr Field kWaterInputs[] = {Field::SVCost, Field::SVAllow, Field::PPeriod,
                                  Field::VRate,  Field::WVCost,  Field::AnInfT};

TEST_F(WaterDataCleanup, EmptiesZeroOptionalValuesAndFormatsTheRest) {
  const struct {
    const char* meaning;
    const char* before;
    const char* after;
  } cases[] = {
      // The water charge and the period are never emptied; letters are worth zero.
      {"zeros", "0|0.000|0|-0|0|0", "||0||0|"},
      {"letters", "abc||abc|x|abc|none", "||abc||abc|"},
      {"empty stays empty; inflation rounded to its bound", "|||||-29.96", "|||||-30.0"},
      {"formatted, rounded half away from zero", "1.23456|12.25|2.45|17.5|1.23454|-2",
       "1.2346|12.3|2.5|17.5|1.2345|-2.0"},
      // 12.35 lies just below the halfway point in binary; its decimal form decides.
      {"decimal form and bound", "0.00001|12.35|5|50|5|-30", "0.0000|12.4|5.0|50.0|5.0000|-30.0"},
      {"negatives and a number with a word kept", "1.5abc|-1|-3|-5|-1|-30.01",
       "1.5abc|-1|-3|-5|-1|-30.01"},
  };
  Start();
  for (const auto& row : cases) {
    SCOPED_TRACE(row.meaning);
    Enter(row.before, kWaterInputs);
    window.CleanWaterData();
    EXPECT_EQ(Texts(kWaterInputs), row.after);
    EXPECT_EQ(State().ErrorLocation, 142);
  }
}

using ItemDataCleanup = WindowTest;

constexpr Field kItemInputs[] = {Field::Item1Use,  Field::Item2Use,  Field::Item1UseD,
                                 Field::Item2UseD, Field::Item1Cost, Field::Item2Cost};

TEST_F(ItemDataCleanup, EmptiesItemsWithoutDataAndZerosAndFormatsTheRest) {
  const struct {
    const char* meaning;
    int16_t empty1, empty2;
    const char* before;  // the uses, the uses a day, the costs
    const char* after;
  } cases[] = {
      {"both items in use", 0, 0, "12|12.25|3|2.5|450|5000", "12.0|12.3|3|3|450.00|5000.00"},
      {"zero and letters are emptied", 0, 0, "0|0.0|abc|-0|0|0.00", "|||||"},
      {"a tiny cost is not zero, so it is formatted", 0, 0, "||||0.004|", "||||0.00|"},
      {"negative values and a number with a unit are kept", 0, 0, "-10||-1|3x|-5|",
       "-10||-1|3x|-5|"},
      {"item 2 without data", 0, 1, "10|5|3|2|250|99", "10.0||3||250.00|"},
      {"item 1 without data", 1, 0, "10|5|3|2|250|99", "|5.0||2||99.00"},
  };
  Start();
  for (const auto& row : cases) {
    SCOPED_TRACE(row.meaning);
    Enter(row.before, kItemInputs);
    State().Item1Empty = row.empty1;
    State().Item2Empty = row.empty2;
    window.CleanItemData();
    EXPECT_EQ(Texts(kItemInputs), row.after);
    EXPECT_EQ(State().ErrorLocation, 233);
  }
}

}  // namespace
}  // namespace tolvarn
