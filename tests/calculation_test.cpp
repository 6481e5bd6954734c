// The Calculate command end to end on the in-memory window: the results it shows, their
// colours and labels, the decision to log, and the failures that end the program.
//
// Expected values were worked out by hand and with a separate model of the arithmetic: every
// carried value rounded to 15 significant digits, the inflation factors stored to 32 bits after
// each operation, displayed values rounded half away from zero on their 15-digit decimal form.
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <ostream>
#include <string>

#include "core/field.h"
#include "window_fixture.h"

namespace tolvarn {
namespace {

using testing::WindowTest;

constexpr std::array<Field, 12> kInputs = {Field::WVCost,   Field::SVCost,    Field::SVAllow,
                                           Field::VRate,    Field::AnInfT,    Field::PPeriod,
                                           Field::Item1Use, Field::Item1UseD, Field::Item1Cost,
                                           Field::Item2Use, Field::Item2UseD, Field::Item2Cost};

constexpr std::array<Field, 16> kResults = {
    Field::Item1WCost,  Field::Item1SCost, Field::Item1Day,    Field::Item1Qtr,
    Field::Item1Period, Field::Item1W,     Field::Item2WCost,  Field::Item2SCost,
    Field::Item2Day,    Field::Item2Qtr,   Field::Item2Period, Field::Item2W,
    Field::DaySave,     Field::QtrSave,    Field::PeriodSave,  Field::PeriodWater};

struct CalcCase {
  const char* meaning;
  bool inhibit;
  std::array<const char*, 12> typed;  // in the order of kInputs
  std::array<const char*, 12> shown;  // the inputs after Calculate
  std::array<const char*, 16> results;
  const char* orange;  // DaySave, QtrSave, PeriodSave, PeriodWater: 'O' orange, '-' black
  const char* cost_label;
  const char* water_label;
};

void PrintTo(const CalcCase& c, std::ostream* os) {
  *os << c.meaning;
}

const CalcCase kCases[] = {
    {"5 years, no inflation: item 1 has no purchase cost, so it is cheaper but uses more water",
     false,
     {"1.5", "2", "95", "20", "", "5", "9", "4", "", "6", "4", "300"},
     {"£1.5000", "£2.0000", "95.0", "20.0", "", "5.0", "9.0", "4", "", "6.0", "4", "£300.00"},
     // Item 1: 36 l a day; water 36 x 1.5 / 1000 x 1.2 = 0.0648, sewerage 36 x 2 / 1000 x 0.95
     // x 1.2 = 0.08208; period 0.14688 x 365 x 5. Item 2 adds 300 / (5 x 365) a day.
     {"£0.065", "£0.082", "£0.147", "£13.40", "£268.06", "65700",  //
      "£0.043", "£0.055", "£0.262", "£23.94", "£478.70", "43800",  //
      "£0.115", "£10.53", "£210.65", "21900"},
     "OOO-",
     "Cost Increase",
     "Water Use Saving"},
    // N = 2: the running costs carry 1.21 and the period counts 2.31 years of them, while the
    // purchase cost per day (450 / 912.5) and the water (19.6 x 912.5) use all 2.5 years.
    // 9.87 and 2.9 are cut to 9.8 and 2 before use.
    {"10 % inflation over 2.5 years, with a use of 9.87 and 2.9 uses a day",
     false,
     {"2", "1.5", "90", "", "10", "2.5", "9.87", "2.9", "450", "6", "3", ""},
     {"£2.0000", "£1.5000", "90.0", "", "10.0", "2.5", "9.8", "2", "£450.00", "6.0", "3", ""},
     {"£0.047", "£0.032", "£0.573", "£52.25", "£505.36", "17885",  //
      "£0.044", "£0.029", "£0.073", "£6.66", "£50.84", "16425",    //
      "£0.500", "£45.59", "£454.52", "1460"},
     "----",
     "Cost Saving",
     "Water Use Saving"},
    {"identical items: zero differences shown in black; no sewerage charge leaves it empty",
     false,
     {"1.25", "", "", "", "", "3", "7.5", "6", "120", "7.5", "6", "120"},
     {"£1.2500", "", "", "", "", "3.0", "7.5", "6", "£120.00", "7.5", "6", "£120.00"},
     {"£0.056", "", "£0.166", "£15.13", "£181.59", "49275",  //
      "£0.056", "", "£0.166", "£15.13", "£181.59", "49275",  //
      "£0.000", "£0.00", "£0.00", "0"},
     "----",
     "Cost Saving",
     "Water Use Saving"},
    {"item 2 cheaper over the period but thirstier",
     false,
     {"1.8", "1.2", "90", "5", "", "4", "6", "3", "400", "9", "4", ""},
     {"£1.8000", "£1.2000", "90.0", "5.0", "", "4.0", "6.0", "3", "£400.00", "9.0", "4", ""},
     {"£0.034", "£0.020", "£0.328", "£29.97", "£479.47", "26280",  //
      "£0.068", "£0.041", "£0.109", "£9.93", "£158.94", "52560",   //
      "£0.220", "£20.03", "£320.53", "26280"},
     "---O",
     "Cost Saving",
     "Water Use Increase"},
    {"item 1 with a purchase cost only: no running cost, its water shows 0",
     false,
     {"2.5", "", "", "", "", "4", "", "", "250", "12", "5", ""},
     {"£2.5000", "", "", "", "", "4.0", "", "", "£250.00", "12.0", "5", ""},
     {"", "", "£0.171", "£15.63", "£250.00", "0",            //
      "£0.150", "", "£0.150", "£13.69", "£219.00", "87600",  //
      "£0.021", "£1.94", "£31.00", "87600"},
     "---O",
     "Cost Saving",
     "Water Use Increase"},
    {"only item 2 filled in: item 1 and the differences stay empty",
     false,
     {"1.5", "2", "95", "20", "", "5", "", "", "", "6", "4", "300"},
     {"£1.5000", "£2.0000", "95.0", "20.0", "", "5.0", "", "", "", "6.0", "4", "£300.00"},
     {"", "", "", "", "", "",                                      //
      "£0.043", "£0.055", "£0.262", "£23.94", "£478.70", "43800",  //
      "", "", "", ""},
     "----",
     "Cost Saving",
     "Water Use Saving"},
    // With the checks off, an inflation below -30 leaves both factors at 1: the period holds
    // one year of running cost, (0.04 + 0.01) x 365, although it is 3 years long.
    {"checks inhibited: inflation below -30 counts a single year",
     true,
     {"2", "1", "50", "", "-50", "3", "10", "2", "", "", "", ""},
     {"£2.0000", "£1.0000", "50.0", "", "-50", "3.0", "10.0", "2", "", "", "", ""},
     {"£0.040", "£0.010", "£0.050", "£4.56", "£18.25", "21900",  //
      "", "", "", "", "", "",                                    //
      "", "", "", ""},
     "----",
     "Cost Saving",
     "Water Use Saving"},
    // A negative period total is neither emptied nor formatted. The differences -0.0135 and
    // -109.855 lie halfway in their last digit: judged on their decimal form they round up.
    {"checks inhibited: a negative purchase cost, and halfway differences",
     true,
     {"1.5", "", "", "", "", "2", "1", "1", "-100", "5", "2", ""},
     {"£1.5000", "", "", "", "", "2.0", "1.0", "1", "£-100", "5.0", "2", ""},
     {"£0.002", "", "£0.002", "£0.14", "£-98.905", "730",  //
      "£0.015", "", "£0.015", "£1.37", "£10.95", "7300",   //
      "£0.014", "£1.23", "£109.86", "6570"},
     "OOOO",
     "Cost Increase",
     "Water Use Increase"},
};

class CalculationCaseTest : public WindowTest, public ::testing::WithParamInterface<CalcCase> {};

TEST_P(CalculationCaseTest, ShowsResultsColoursAndLabels) {
  const CalcCase& c = GetParam();
  Start(c.inhibit);
  for (size_t i = 0; i < kInputs.size(); ++i)
    fields.SetText(kInputs[i], c.typed[i]);

  window.Calc_Click();

  EXPECT_TRUE(fake.boxes.Shown().empty());
  for (size_t i = 0; i < kInputs.size(); ++i)
    EXPECT_EQ(Text(kInputs[i]), c.shown[i]) << FieldName(kInputs[i]);
  for (size_t i = 0; i < kResults.size(); ++i)
    EXPECT_EQ(Text(kResults[i]), c.results[i]) << FieldName(kResults[i]);
  for (size_t i = 0; i < kComparisonFields.size(); ++i)
    EXPECT_EQ(fields.Colour(kComparisonFields[i]), c.orange[i] == 'O' ? kOrange : kBlack)
        << FieldName(kComparisonFields[i]);
  EXPECT_EQ(State().CostSaveLabel, c.cost_label);
  EXPECT_EQ(State().WaterSaveLabel, c.water_label);
  EXPECT_EQ(State().Item1Empty, 0);
  EXPECT_EQ(State().Item2Empty, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, CalculationCaseTest, ::testing::ValuesIn(kCases));

class CalculationTest : public WindowTest {
 protected:
  void SetTwoItems() {
    Set({{Field::WVCost, "1.5"},
         {Field::SVCost, "2"},
         {Field::SVAllow, "95"},
         {Field::VRate, "20"},
         {Field::PPeriod, "5"},
         {Field::Item1Use, "9"},
         {Field::Item1UseD, "4"},
         {Field::Item2Use, "6"},
         {Field::Item2UseD, "4"},
         {Field::Item2Cost, "300"}});
  }
};

// Each factor is stored to 32 bits after every step, so -30 % over 2 years gives 0.48999998f,
// not 0.49f, and 3.5 % over 10 years 1.41059864f, not the 1.41059875f of one rounding.
TEST_F(CalculationTest, InflationFactorsCountWholeYearsIn32Bits) {
  struct Row {
    const char* meaning;
    bool inhibit;
    const char* inflation;
    const char* period;
    float factor;
    float sum;
  };
  const Row rows[] = {
      {"2.5 years count 2", false, "10", "2.5", 1.21f, 2.31f},
      {"no inflation", false, "", "5", 1.0f, 5.0f},
      {"-30 is still inflated", false, "-30", "2", 0.48999998f, 1.19000006f},
      {"rounded at every step", false, "3.5", "10", 1.41059864f, 12.1419916f},
      {"below -30 leaves both at 1", true, "-50", "3", 1.0f, 1.0f},
      {"a period below 1 leaves both at 1", true, "10", "0.5", 1.0f, 1.0f},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.meaning);
    Start(row.inhibit);
    Set({{Field::WVCost, "1.5"},
         {Field::AnInfT, row.inflation},
         {Field::PPeriod, row.period},
         {Field::Item1Use, "9"},
         {Field::Item1UseD, "4"}});
    window.Calc_Click();
    EXPECT_TRUE(fake.boxes.Shown().empty());
    EXPECT_EQ(State().InflationFactor, row.factor);
    EXPECT_EQ(State().InflationSum, row.sum);
  }
}

TEST_F(CalculationTest, BothItemsEmptyIsNoDataAndForgetsTheRecord) {
  Start();
  window.SetCheckBox(Field::AutoSave, 1);
  SetTwoItems();
  window.Calc_Click();
  ASSERT_EQ(window.appends, 1);

  Set({{Field::Item1Use, ""},
       {Field::Item1UseD, ""},
       {Field::Item2Use, ""},
       {Field::Item2UseD, ""},
       {Field::Item2Cost, ""}});
  window.Calc_Click();

  EXPECT_TRUE(fake.boxes.Shown().empty());
  EXPECT_EQ(fields.Caption(Field::Status), "No Data To Calculate");
  EXPECT_TRUE(fields.IsEnabled(Field::Timer1));
  EXPECT_EQ(window.appends, 1);
  EXPECT_FALSE(fields.IsEnabled(Field::Save));
  EXPECT_EQ(State().RecordText, "");
  EXPECT_EQ(State().RecordBody, "");
  EXPECT_EQ(State().LastRecordKey, "");
  for (Field result : kResults)
    EXPECT_EQ(Text(result), "") << FieldName(result);
  EXPECT_EQ(State().Item1Empty, 0);
  EXPECT_EQ(State().Item2Empty, 0);
}

TEST_F(CalculationTest, AutoSaveAppendsTheRecordOnceAndUnchangedDataIsNotLoggedAgain) {
  Start();
  window.SetCheckBox(Field::AutoSave, 1);
  SetTwoItems();
  window.Calc_Click();
  ASSERT_EQ(window.appends, 1);
  EXPECT_EQ(window.appended[0], State().RecordText);
  EXPECT_FALSE(fields.IsEnabled(Field::Save));
  EXPECT_EQ(fields.Caption(Field::Status), "");

  window.Calc_Click();
  EXPECT_EQ(window.appends, 1);
  EXPECT_EQ(fields.Caption(Field::Status), "The Data Has Not Changed Since The Last Calculation");
  EXPECT_TRUE(fields.IsEnabled(Field::Timer1));
  EXPECT_EQ(Text(Field::PeriodSave), "£210.65");

  // The notes belong to the record, so changing them is new data.
  Set({{Field::Notes, "second opinion"}});
  window.Calc_Click();
  EXPECT_EQ(window.appends, 2);
}

TEST_F(CalculationTest, WithoutAutoSaveSaveIsEnabledOnlyForChangedData) {
  Start();
  SetTwoItems();
  window.Calc_Click();
  EXPECT_EQ(window.appends, 0);
  EXPECT_TRUE(fields.IsEnabled(Field::Save));

  window.Save_Click();
  ASSERT_EQ(window.appends, 1);
  window.Calc_Click();
  EXPECT_EQ(fields.Caption(Field::Status), "The Data Has Not Changed Since The Last Calculation");
  EXPECT_FALSE(fields.IsEnabled(Field::Save));
  EXPECT_EQ(window.appends, 1);
}

TEST_F(CalculationTest, CheckFailureShowsEveryMessageOnceAndTouchesNoResult) {
  Start();
  SetTwoItems();
  window.Calc_Click();  // item 1 dearer: three orange differences
  ASSERT_EQ(fields.Colour(Field::DaySave), kOrange);

  Set({{Field::PPeriod, "0"}, {Field::WVCost, "9"}, {Field::Item2Use, "600"}});
  window.Calc_Click();

  ASSERT_EQ(fake.boxes.Shown().size(), 1u);
  const MessageBoxRequest& box = fake.boxes.Shown()[0];
  EXPECT_EQ(box.title, "Tolvarn Data Error");
  EXPECT_EQ(box.icon, BoxIcon::Stop);
  EXPECT_EQ(box.buttons, BoxButtons::Ok);
  EXPECT_EQ(box.text,
            "Payback Period must be between 1.0 and 10.0 years\n"
            "Water Volume Charge per cubic metre must be between 0.1000 and 5.0000\n"
            "Item 2 litres per Use must be empty or between 1.0 and 500.0\n");
  // The earlier results stay as they were, orange included; the symbols are back.
  EXPECT_EQ(Text(Field::WVCost), "£9");
  EXPECT_EQ(Text(Field::Item1Day), "£0.147");
  EXPECT_EQ(Text(Field::PeriodSave), "£210.65");
  EXPECT_EQ(Text(Field::PeriodWater), "21900");
  EXPECT_EQ(fields.Colour(Field::DaySave), kOrange);
  EXPECT_EQ(fields.Colour(Field::PeriodSave), kOrange);
  EXPECT_EQ(State().Item1Empty, 0);
  EXPECT_EQ(State().Item2Empty, 0);

  // Corrected, with item 1 now the cheaper one: every comparison turns black again.
  Set({{Field::PPeriod, "5"},
       {Field::WVCost, "1.5"},
       {Field::Item2Use, "6"},
       {Field::Item1Cost, "400"},
       {Field::Item2Cost, ""}});
  window.Calc_Click();
  EXPECT_EQ(fake.boxes.Shown().size(), 1u);
  for (Field diff : kComparisonFields)
    EXPECT_EQ(fields.Colour(diff), kBlack) << FieldName(diff);
  EXPECT_EQ(State().CostSaveLabel, "Cost Saving");
}

TEST_F(CalculationTest, ItemEmptyAfterAFailedCheckTakesPartNextTime) {
  Start();
  Set({{Field::WVCost, "1.5"},
       {Field::PPeriod, "5"},
       {Field::Item1Use, "600"},
       {Field::Item1UseD, "4"}});
  window.Calc_Click();
  ASSERT_EQ(fake.boxes.Shown().size(), 1u);
  EXPECT_EQ(State().Item2Empty, 0);

  Set({{Field::Item1Use, "9"}, {Field::Item2Use, "6"}, {Field::Item2UseD, "4"}});
  window.Calc_Click();
  EXPECT_EQ(Text(Field::Item2W), "43800");
  EXPECT_EQ(Text(Field::PeriodWater), "21900");
}

struct FatalCase {
  const char* meaning;
  std::array<const char*, 12> typed;  // in the order of kInputs
  int location;
};

void PrintTo(const FatalCase& c, std::ostream* os) {
  *os << c.meaning;
}

// With the checks inhibited nothing stops bad data before the arithmetic. ClearResults leaves
// its own step code in place, so failures before item 2 report 252.
const FatalCase kFatalCases[] = {
    {"empty payback period", {"1.5", "", "", "", "", "", "9", "4", "", "", "", ""}, 252},
    {"inflation factor beyond 32 bits",
     {"1.5", "", "", "", "199", "100", "9", "4", "", "", "", ""},
     252},
    {"whole years beyond 16 bits", {"1.5", "", "", "", "", "40000", "9", "4", "", "", "", ""}, 252},
    {"item 1 water cost overflows",
     {"1e300", "", "", "", "", "1", "1e300", "1", "", "", "", ""},
     252},
    {"item 2 water cost overflows",
     {"1e300", "", "", "", "", "1", "10", "1", "", "1e300", "1", ""},
     104},
    {"period difference overflows",
     {"1.5", "", "", "", "", "1", "1", "1", "1e308", "1", "1", "-1.7e308"},
     105},
};

class CalculationFatalTest : public WindowTest, public ::testing::WithParamInterface<FatalCase> {};

TEST_P(CalculationFatalTest, EndsTheProgramWithoutWritingInfinity) {
  const FatalCase& c = GetParam();
  Start(/*inhibit=*/true);
  for (size_t i = 0; i < kInputs.size(); ++i)
    fields.SetText(kInputs[i], c.typed[i]);

  const auto [operation, location] = ExpectFatal([&] { window.Calc_Click(); });

  EXPECT_EQ(operation, "Calaculation Error");
  EXPECT_EQ(location, c.location);
  for (Field field : AllFields()) {
    std::string text = Text(field);
    for (char& ch : text)
      ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    EXPECT_EQ(text.find("inf"), std::string::npos) << FieldName(field) << ": " << text;
    EXPECT_EQ(text.find("nan"), std::string::npos) << FieldName(field) << ": " << text;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, CalculationFatalTest, ::testing::ValuesIn(kFatalCases));

}  // namespace
}  // namespace tolvarn
