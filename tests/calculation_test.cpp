// The Calculate command end to end on the in-memory window: the results it shows, their
// colours and labels, the decision to log, and the failures that end the program.
#include <string>
#include <vector>

#include "core/field.h"
#include "temp_dir.h"
#include "window_fixture.h"

namespace tolvarn {
namespace {

using testing::WindowTest;

struct CalcCase {
  const char* meaning;
  bool inhibit;
  const char* typed;  // the inputs, as WindowTest::Enter takes them
  const char* results;
  const char* orange;  // DaySave, QtrSave, PeriodSave, PeriodWater: 'O' orange, '-' black
  const char* labels;
};

const CalcCase kCases[] = {
    // Item 1 a day: water 36 l x 1.5 / 1000 x 1.2, sewerage 36 x 2 / 1000 x 0.95 x 1.2.
    // Money typed with the currency symbol reads as without it.
    {"5 years, no inflation: item 1 has no purchase cost, so it is cheaper but uses more water",
     false, "£1.5|£2|95|20||5|9|4||6|4|£300",
     "£0.065|£0.082|£0.147|£13.40|£268.06|65700|£0.043|£0.055|£0.262|£23.94|£478.70|43800|"
     "£0.115|£10.53|£210.65|21900",
     "OOO-", "Cost Increase|Water Use Saving"},
    // N = 2: the running costs carry 1.21 and the period counts 2.31 years of them, while the
    // purchase cost per day (450 / 912.5) and the water (19.6 x 912.5) use all 2.5 years.
    // 9.87 and 2.9 are cut to 9.8 and 2 before use.
    {"10 % inflation over 2.5 years, with a use of 9.87 and 2.9 uses a day", false,
     "2|1.5|90||10|2.5|9.87|2.9|450|6|3|",
     "£0.047|£0.032|£0.573|£52.25|£505.36|17885|£0.044|£0.029|£0.073|£6.66|£50.84|16425|"
     "£0.500|£45.59|£454.52|1460",
     "----", "Cost Saving|Water Use Saving"},
    {"item 1 with a purchase cost only, item 2 thirstier: no running cost, its water shows 0",
     false, "2.5|||||4|||250|12|5|",
     "||£0.171|£15.63|£250.00|0|£0.150||£0.150|£13.69|£219.00|87600|£0.021|£1.94|£31.00|87600",
     "---O", "Cost Saving|Water Use Increase"},
    // A negative period total is neither emptied nor formatted. The differences -0.0135 and
    // -109.855 lie halfway in their last digit: judged on their decimal form they round up.
    {"checks inhibited: a negative purchase cost, and halfway differences", true,
     "1.5|||||2|1|1|-100|5|2|",
     "£0.002||£0.002|£0.14|£-98.905|730|£0.015||£0.015|£1.37|£10.95|7300|£0.014|£1.23|£109.86|"
     "6570",
     "OOOO", "Cost Increase|Water Use Increase"},
};

class CalculationCaseTest : public WindowTest, public ::testing::WithParamInterface<CalcCase> {};

TEST_P(CalculationCaseTest, ShowsResultsColoursAndLabels) {
  const CalcCase& c = GetParam();
  SCOPED_TRACE(c.meaning);
  Start(c.inhibit);
  Enter(c.typed);
  window.Calc_Click();
  EXPECT_TRUE(fake.boxes.Shown().empty());
  EXPECT_EQ(Texts(kResults), c.results);
  std::string orange;
  for (const Field field : kComparisonFields)
    orange += fields.Colour(field) == kOrange ? 'O' : fields.Colour(field) == kBlack ? '-' : '?';
  EXPECT_EQ(orange, c.orange);
  EXPECT_EQ(State().CostSaveLabel + "|" + State().WaterSaveLabel, c.labels);
}

INSTANTIATE_TEST_SUITE_P(Cases, CalculationCaseTest, ::testing::ValuesIn(kCases));

using CalculationTest = WindowTest;

// With Auto Save a record is appended once; unchanged data is not logged again, changed notes
// are.
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
  Set({{Field::Notes, "second opinion"}});
  window.Calc_Click();
  EXPECT_EQ(window.appends, 2);
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

// Coming back to the window puts it on top again, if it should be, and ends a wait to Save.
TEST_F(CalculationTest, ActivationReappliesOnTopAndEndsAWaitingSave) {
  Start();
  window.SetCheckBox(Field::OnTop, 1);
  fields.SetEnabled(Field::Save, true);
  fake.window.top_most.clear();
  window.Form_Activate();
  EXPECT_EQ(fake.window.top_most, std::vector<bool>{true});
  EXPECT_FALSE(fields.IsEnabled(Field::Save));
}

// A megabyte of digits pasted into a field overflows the item's sum, a check error.
TEST_F(CalculationTest, AMegabytePastedIntoAFieldIsHandled) {
  Start();
  Enter("1.5|||||5|9|4||||");
  Set({{Field::Item2Cost, std::string(1 << 20, '7')}});
  EXPECT_EQ(ExpectFatal([&] { window.Calc_Click(); }),
            std::make_pair(std::string("Check Error"), 121));
}

// The tariff as a Calculate would read it, for the household's costs: read through the currency
// symbol and in the window's units, or none with the checks' messages; the window untouched.
TEST_F(CalculationTest, TheTariffNowReadsAsCalculateWouldAndChangesNothing) {
  const struct {
    const char* typed;  // the tariff, as WindowTest::Enter takes it
    bool gallons;
    std::vector<double> tariff;  // W, S, A, V; empty: none
    std::vector<std::string> messages;
  } rows[] = {
      {"\u00A31.5|\u00A32|95|20||5", false, {1.5, 2, 95, 20}, {}},
      {"0.25|||||1", true, {0.25, 0, 0, 0}, {}},
      // Every water data message at once; the sewerage rule only once they pass.
      {"9|||||",
       false,
       {},
       {"Payback Period must be between 1.0 and 10.0 years",
        "Water Volume Charge per cubic metre must be between 0.1000 and 5.0000"}},
      {"1.5|2|0|||5",
       false,
       {},
       {"The Sewerage Volume Allowance cannot be zero if the Sewerage Cost is set"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.typed);
    Start(false, row.gallons);
    Enter(std::string(row.typed) + "|9|4||6|4|300");
    State().CheckMessages = "from before\n";
    const std::string before = Texts(kInputs);
    const TariffReading reading = window.ReadTariffNow();
    EXPECT_EQ(reading.messages, row.messages);
    ASSERT_EQ(reading.tariff.has_value(), !row.tariff.empty());
    if (reading.tariff) {
      const HouseholdTariff& t = *reading.tariff;
      EXPECT_EQ(
          std::vector<double>({t.WaterCharge, t.SewerageCharge, t.SewerageAllowance, t.TaxRate}),
          row.tariff);
      EXPECT_EQ(t.Gallons, row.gallons);
    }
    EXPECT_EQ(Texts(kInputs), before);
    EXPECT_EQ(State().CheckMessages, "from before\n");
    EXPECT_TRUE(fake.boxes.Shown().empty());
  }
}

// With the checks inhibited the program ends without writing inf or nan anywhere. ClearResults
// leaves its own step code in place, so failures before item 2 report 252.
TEST_F(CalculationTest, OverflowEndsTheProgramWithoutWritingInfinity) {
  const std::pair<const char*, int> rows[] = {
      {"1.5||||||9|4||||", 252},                 // empty payback period
      {"1.5||||199|100|9|4||||", 252},           // inflation factor beyond 32 bits
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
    for (Field field : AllFields())  // no "inf" or "nan" in any case, so no i or n at all
      EXPECT_EQ(Text(field).find_first_of("iInN"), std::string::npos) << FieldName(field);
  }
}

// The window's start makes a missing log and says it started; back from About, On Top holds.
TEST_F(CalculationTest, TheStartMakesTheLogAndAboutKeepsOnTop) {
  for (const char* folder : {"Data", "Help", "Log"})
    fake.files.AddDirectory(folder);
  fake.files.files["Data/Tolvarn.ini"] = testing::kExampleConfiguration;
  window.Form_Load();
  EXPECT_TRUE(fake.files.files.at("Log/Tolvarn.log").starts_with("Tolvarn Results Log"));
  ASSERT_EQ(window.appended.size(), 1u);
  EXPECT_TRUE(window.appended[0].starts_with("Tolvarn Started"));
  window.SetCheckBox(Field::OnTop, 1);
  fake.window.top_most.clear();
  window.About_Click();
  EXPECT_EQ(fake.window.top_most, std::vector<bool>{true});
}

// A launcher that cannot start (no thread left to watch the handler) is told, not let through.
using Launching = testing::WindowTest;

TEST_F(Launching, AHandlerThatCannotStartIsReportedWithItsCommandsMessage) {
  Start();
  fake.files.AddDirectory("Help");
  fake.files.files["Help/index.htm"] = "";
  fake.launcher.refusal = "Resource temporarily unavailable";
  window.Help1_Click();
  window.Update_Click();
  ASSERT_EQ(fake.boxes.Shown().size(), 2u);
  EXPECT_EQ(fake.boxes.Shown()[0].text,
            "Unable to opem the help file.\r\nThis may be a permissions problem.");
  EXPECT_EQ(fake.boxes.Shown()[1].text,
            "A program error has occured\r\nError Number: 1\r\nError description: Resource "
            "temporarily unavailable");
}

}  // namespace
}  // namespace tolvarn
