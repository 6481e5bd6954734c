// The Calculate command end to end on the in-memory window: the results it shows, their
// colours and labels, the decision to log, and the failures that end the program.
// Expected values were worked out by hand and with a separate model of the arithmetic.
#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>

#include "core/field.h"
#include "window_fixture.h"

namespace tolvarn {
namespace {

using testing::WindowTest;

struct CalcCase {
  const char* meaning;
  bool inhibit;
  const char* typed;  // the inputs, as WindowTest::Enter takes them
  const char* shown;  // the inputs after Calculate
  const char* results;
  const char* orange;  // DaySave, QtrSave, PeriodSave, PeriodWater: 'O' orange, '-' black
  const char* labels;
};

void PrintTo(const CalcCase& c, std::ostream* os) {
  *os << c.meaning;
}

const CalcCase kCases[] = {
    // Item 1: 36 l a day; water 36 x 1.5 / 1000 x 1.2 = 0.0648, sewerage 36 x 2 / 1000 x 0.95
    // x 1.2 = 0.08208; period 0.14688 x 365 x 5. Item 2 adds 300 / (5 x 365) a day.
    {"5 years, no inflation: item 1 has no purchase cost, so it is cheaper but uses more water",
     false, "1.5|2|95|20||5|9|4||6|4|300", "£1.5000|£2.0000|95.0|20.0||5.0|9.0|4||6.0|4|£300.00",
     "£0.065|£0.082|£0.147|£13.40|£268.06|65700|£0.043|£0.055|£0.262|£23.94|£478.70|43800|"
     "£0.115|£10.53|£210.65|21900",
     "OOO-", "Cost Increase|Water Use Saving"},
    // N = 2: the running costs carry 1.21 and the period counts 2.31 years of them, while the
    // purchase cost per day (450 / 912.5) and the water (19.6 x 912.5) use all 2.5 years.
    // 9.87 and 2.9 are cut to 9.8 and 2 before use.
    {"10 % inflation over 2.5 years, with a use of 9.87 and 2.9 uses a day", false,
     "2|1.5|90||10|2.5|9.87|2.9|450|6|3|", "£2.0000|£1.5000|90.0||10.0|2.5|9.8|2|£450.00|6.0|3|",
     "£0.047|£0.032|£0.573|£52.25|£505.36|17885|£0.044|£0.029|£0.073|£6.66|£50.84|16425|"
     "£0.500|£45.59|£454.52|1460",
     "----", "Cost Saving|Water Use Saving"},
    {"item 1 with a purchase cost only, item 2 thirstier: no running cost, its water shows 0",
     false, "2.5|||||4|||250|12|5|", "£2.5000|||||4.0|||£250.00|12.0|5|",
     "||£0.171|£15.63|£250.00|0|£0.150||£0.150|£13.69|£219.00|87600|£0.021|£1.94|£31.00|87600",
     "---O", "Cost Saving|Water Use Increase"},
    {"only item 2 filled in: item 1 and the differences stay empty", false,
     "1.5|2|95|20||5||||6|4|300", "£1.5000|£2.0000|95.0|20.0||5.0||||6.0|4|£300.00",
     "||||||£0.043|£0.055|£0.262|£23.94|£478.70|43800||||", "----", "Cost Saving|Water Use Saving"},
    // With the checks off, an inflation below -30 leaves both factors at 1: the period holds
    // one year of running cost, (0.04 + 0.01) x 365, although it is 3 years long.
    {"checks inhibited: inflation below -30 counts a single year", true, "2|1|50||-50|3|10|2||||",
     "£2.0000|£1.0000|50.0||-50|3.0|10.0|2||||",
     "£0.040|£0.010|£0.050|£4.56|£18.25|21900||||||||||", "----", "Cost Saving|Water Use Saving"},
    // A negative period total is neither emptied nor formatted. The differences -0.0135 and
    // -109.855 lie halfway in their last digit: judged on their decimal form they round up.
    {"checks inhibited: a negative purchase cost, and halfway differences", true,
     "1.5|||||2|1|1|-100|5|2|", "£1.5000|||||2.0|1.0|1|£-100|5.0|2|",
     "£0.002||£0.002|£0.14|£-98.905|730|£0.015||£0.015|£1.37|£10.95|7300|£0.014|£1.23|£109.86|"
     "6570",
     "OOOO", "Cost Increase|Water Use Increase"},
};

class CalculationCaseTest : public WindowTest, public ::testing::WithParamInterface<CalcCase> {};

TEST_P(CalculationCaseTest, ShowsResultsColoursAndLabels) {
  const CalcCase& c = GetParam();
  Start(c.inhibit);
  Enter(c.typed);
  window.Calc_Click();
  EXPECT_TRUE(fake.boxes.Shown().empty());
  EXPECT_EQ(Texts(kInputs), c.shown);
  EXPECT_EQ(Texts(kResults), c.results);
  std::string orange;
  for (const Field field : kComparisonFields)
    orange += fields.Colour(field) == kOrange ? 'O' : fields.Colour(field) == kBlack ? '-' : '?';
  EXPECT_EQ(orange, c.orange);
  EXPECT_EQ(State().CostSaveLabel + "|" + State().WaterSaveLabel, c.labels);
}

INSTANTIATE_TEST_SUITE_P(Cases, CalculationCaseTest, ::testing::ValuesIn(kCases));

using CalculationTest = WindowTest;

// Each factor is stored to 32 bits after every step, so -30 % over 2 years gives 0.48999998f,
// not 0.49f, and 3.5 % over 10 years 1.41059864f, not the 1.41059875f of one rounding.
TEST_F(CalculationTest, InflationFactorsCountWholeYearsIn32Bits) {
  struct Row {
    bool inhibit;
    const char* typed;
    float factor, sum;
  };
  const Row rows[] = {
      {false, "1.5||||10|2.5|9|4||||", 1.21f, 2.31f},  // 2.5 years count 2
      {false, "1.5|||||5|9|4||||", 1.0f, 5.0f},
      {false, "1.5||||-30|2|9|4||||", 0.48999998f, 1.19000006f},
      {false, "1.5||||3.5|10|9|4||||", 1.41059864f, 12.1419916f},
      {true, "1.5||||10|0.5|9|4||||", 1.0f, 1.0f},  // a period below 1 leaves both at 1
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.typed);
    Start(row.inhibit);
    Enter(row.typed);
    window.Calc_Click();
    EXPECT_TRUE(fake.boxes.Shown().empty());
    EXPECT_EQ(State().InflationFactor, row.factor);
    EXPECT_EQ(State().InflationSum, row.sum);
  }
}

// With Auto Save a record is appended once; unchanged data is not logged again, changed notes
// are; without it Save is enabled for changed data only.
TEST_F(CalculationTest, TheRecordIsLoggedOncePerChange) {
  Start();
  window.SetCheckBox(Field::AutoSave, 1);
  Enter("1.5|2|95|20||5|9|4||6|4|300");
  window.Calc_Click();
  ASSERT_EQ(window.appends, 1);
  EXPECT_EQ(window.appended[0], State().RecordText);
  EXPECT_FALSE(fields.IsEnabled(Field::Save));
  window.Calc_Click();
  EXPECT_EQ(window.appends, 1);
  EXPECT_EQ(fields.Caption(Field::Status), "The Data Has Not Changed Since The Last Calculation");
  EXPECT_TRUE(fields.IsEnabled(Field::Timer1));
  Set({{Field::Notes, "second opinion"}});
  window.Calc_Click();
  EXPECT_EQ(window.appends, 2);

  window.SetCheckBox(Field::AutoSave, 0);
  Set({{Field::Notes, "third"}});
  window.Calc_Click();
  EXPECT_EQ(window.appends, 2);
  EXPECT_TRUE(fields.IsEnabled(Field::Save));
  window.Save_Click();
  window.Calc_Click();
  EXPECT_FALSE(fields.IsEnabled(Field::Save));
  EXPECT_EQ(window.appends, 3);
}

TEST_F(CalculationTest, CheckFailureShowsEveryMessageOnceAndTouchesNoResult) {
  Start();
  Enter("1.5|2|95|20||5|9|4||6|4|300");
  window.Calc_Click();
  Set({{Field::PPeriod, "0"}, {Field::WVCost, "9"}, {Field::Item2Use, "600"}});
  window.Calc_Click();
  ASSERT_EQ(fake.boxes.Shown().size(), 1u);
  const MessageBoxRequest& box = fake.boxes.Shown()[0];
  EXPECT_EQ(box.title, "Tolvarn Data Error");
  EXPECT_EQ(box.icon, BoxIcon::Stop);
  EXPECT_EQ(box.text,
            "Payback Period must be between 1.0 and 10.0 years\n"
            "Water Volume Charge per cubic metre must be between 0.1000 and 5.0000\n"
            "Item 2 litres per Use must be empty or between 1.0 and 500.0\n");
  // The earlier results stay as they were, orange included; the symbol is back.
  EXPECT_EQ(Text(Field::WVCost), "£9");
  EXPECT_EQ(Text(Field::PeriodSave), "£210.65");
  EXPECT_EQ(fields.Colour(Field::DaySave), kOrange);
}

// A megabyte pasted into a field: in the notes it is recorded as it stands; as a number it
// overflows the item's sum, a check error.
TEST_F(CalculationTest, AMegabytePastedIntoAFieldIsHandled) {
  Start();
  const std::string megabyte(1 << 20, '7');
  Enter("1.5|||||5|9|4||||");
  Set({{Field::Notes, megabyte}});
  window.Calc_Click();
  EXPECT_TRUE(State().RecordBody.starts_with(megabyte + "\r\n"));
  Set({{Field::Item2Cost, megabyte}});
  EXPECT_EQ(ExpectFatal([&] { window.Calc_Click(); }),
            std::make_pair(std::string("Check Error"), 121));
}

// With the checks inhibited nothing stops bad data before the arithmetic; the program ends
// without writing inf or nan anywhere. ClearResults leaves its own step code in place, so
// failures before item 2 report 252.
TEST_F(CalculationTest, OverflowEndsTheProgramWithoutWritingInfinity) {
  const std::pair<const char*, int> rows[] = {
      {"1.5||||||9|4||||", 252},                 // empty payback period
      {"1.5||||199|100|9|4||||", 252},           // inflation factor beyond 32 bits
      {"1.5|||||40000|9|4||||", 252},            // whole years beyond 16 bits
      {"1e300|||||1|1e300|1||||", 252},          // item 1 water cost
      {"1e300|||||1|10|1||1e300|1|", 104},       // item 2 water cost
      {"1.5|||||1|1|1|1e308|1|1|-1.7e308", 105}  // the period difference
  };
  for (const auto& [typed, location] : rows) {
    SCOPED_TRACE(typed);
    Start(/*inhibit=*/true);
    Enter(typed);
    EXPECT_EQ(ExpectFatal([&] { window.Calc_Click(); }),
              std::make_pair(std::string("Calaculation Error"), location));
    for (Field field : AllFields()) {
      std::string text = Text(field);
      for (char& ch : text)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      EXPECT_EQ(text.find("inf"), std::string::npos) << FieldName(field) << ": " << text;
      EXPECT_EQ(text.find("nan"), std::string::npos) << FieldName(field) << ": " << text;
    }
  }
}

}  // namespace
}  // namespace tolvarn
