// The input clean-up: zero values and items without data are shown empty, every other number in
// its display format, and text that is not a number is left for the user to see.
#include <string>

#include "window_fixture.h"

namespace tolvarn {
namespace {

using testing::WindowTest;

class WaterDataCleanup : public WindowTest {
 protected:
  void SetUp() override { Start(); }
};

struct OneFieldCase {
  const char* meaning;
  Field field;
  std::string before;
  std::string after;
};

TEST_F(WaterDataCleanup, EmptiesZeroOptionalValuesAndFormatsTheRest) {
  const OneFieldCase cases[] = {
      {"sewerage charge zero", Field::SVCost, "0", ""},
      {"sewerage charge zero with decimals", Field::SVCost, "0.000", ""},
      {"sewerage charge negative zero", Field::SVCost, "-0", ""},
      {"sewerage charge of letters is worth zero", Field::SVCost, "abc", ""},
      {"sewerage charge to four decimals", Field::SVCost, "1.5", "1.5000"},
      {"sewerage charge rounded to four decimals", Field::SVCost, "1.23456", "1.2346"},
      {"sewerage charge rounded down", Field::SVCost, "1.23454", "1.2345"},
      {"a tiny charge is not zero, so it is formatted", Field::SVCost, "0.00001", "0.0000"},
      {"negative sewerage charge kept", Field::SVCost, "-1", "-1"},
      {"number followed by a word kept", Field::SVCost, "1.5abc", "1.5abc"},
      {"empty sewerage charge stays empty", Field::SVCost, "", ""},
      {"allowance zero", Field::SVAllow, "0", ""},
      {"allowance empty stays empty", Field::SVAllow, "", ""},
      {"allowance to one decimal", Field::SVAllow, "20", "20.0"},
      {"allowance halfway rounds away from zero", Field::SVAllow, "12.25", "12.3"},
      // 12.35 lies just below the halfway point in binary; its decimal form decides.
      {"allowance halfway judged on its decimal form", Field::SVAllow, "12.35", "12.4"},
      {"rate kept at one decimal", Field::VRate, "17.5", "17.5"},
      {"rate zero", Field::VRate, "0", ""},
      {"rate to one decimal", Field::VRate, "20", "20.0"},
      {"negative rate kept", Field::VRate, "-5", "-5"},
      {"water charge to four decimals", Field::WVCost, "2", "2.0000"},
      {"water charge zero is not emptied", Field::WVCost, "0", "0"},
      {"water charge of letters kept", Field::WVCost, "abc", "abc"},
      {"empty water charge stays empty", Field::WVCost, "", ""},
      {"negative water charge kept", Field::WVCost, "-1", "-1"},
      {"period to one decimal", Field::PPeriod, "5", "5.0"},
      {"period rounded", Field::PPeriod, "2.45", "2.5"},
      {"period zero is not emptied", Field::PPeriod, "0", "0"},
      {"period of letters kept", Field::PPeriod, "abc", "abc"},
      {"inflation zero", Field::AnInfT, "0", ""},
      {"inflation of letters is worth zero", Field::AnInfT, "none", ""},
      {"positive inflation", Field::AnInfT, "3", "3.0"},
      {"negative inflation is formatted too", Field::AnInfT, "-2", "-2.0"},
      {"inflation at its lower bound", Field::AnInfT, "-30", "-30.0"},
      {"inflation just above its lower bound", Field::AnInfT, "-29.96", "-30.0"},
      {"inflation below its lower bound kept", Field::AnInfT, "-30.01", "-30.01"},
      {"inflation far below kept", Field::AnInfT, "-31", "-31"},
  };
  for (const auto& row : cases) {
    fields.SetText(row.field, row.before);
    window.CleanWaterData();
    EXPECT_EQ(Text(row.field), row.after) << row.meaning;
    EXPECT_EQ(State().ErrorLocation, 142) << row.meaning;
  }
}

class ItemDataCleanup : public WindowTest {
 protected:
  void SetUp() override { Start(); }
};

constexpr Field kItemInputs[] = {Field::Item1Use,  Field::Item2Use,  Field::Item1UseD,
                                 Field::Item2UseD, Field::Item1Cost, Field::Item2Cost};

TEST_F(ItemDataCleanup, EmptiesItemsWithoutDataAndZerosAndFormatsTheRest) {
  struct Row {
    const char* meaning;
    int16_t empty1, empty2;
    const char* before;  // the uses, the uses a day, the costs
    const char* after;
  };
  const Row cases[] = {
      {"both items in use", 0, 0, "12|12.25|3|2.5|450|5000", "12.0|12.3|3|3|450.00|5000.00"},
      {"uses per day rounded down", 0, 0, "||2.4|||", "||2|||"},
      {"zero and letters are emptied", 0, 0, "0|0.0|abc|-0|0|0.00", "|||||"},
      {"cost halfway judged on its decimal form", 0, 0, "||||1.005|2.675", "||||1.01|2.68"},
      {"a tiny cost is not zero, so it is formatted", 0, 0, "||||0.004|", "||||0.00|"},
      {"negative values are kept as typed", 0, 0, "-10||-1||-5|", "-10||-1||-5|"},
      {"a number followed by a unit is kept", 0, 0, "10 l||3x|||", "10 l||3x|||"},
      {"item 2 without data", 0, 1, "10|5|3|2|250|99", "10.0||3||250.00|"},
      {"item 1 without data", 1, 0, "10|5|3|2|250|99", "|5.0||2||99.00"},
      {"neither item holds data", 1, 1, "10|5|3|2|250|99", "|||||"},
  };
  for (const auto& row : cases) {
    Enter(row.before, kItemInputs);
    State().Item1Empty = row.empty1;
    State().Item2Empty = row.empty2;
    window.CleanItemData();
    EXPECT_EQ(Texts(kItemInputs), row.after) << row.meaning;
    EXPECT_EQ(State().ErrorLocation, 233) << row.meaning;
  }
}

}  // namespace
}  // namespace tolvarn
