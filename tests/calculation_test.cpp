// The Calculate command end to end on the in-memory window: the results it shows, their
// colours and labels, the decision to log, the failures that end the program, and the window's
// other commands where they meet it (the start, activation, About, the handlers).
#include "temp_dir.h"
#include "window_fixture.h"

namespace tolvarn {
namespace {

using CalculationTest = testing::WindowTest;

// The results, then the comparison's colours (DaySave, QtrSave, PeriodSave, PeriodWater: 'O'
// orange, '-' black) and labels. Item 1 with no purchase cost is the record's case (ResultsLog).
TEST_F(CalculationTest, ShowsResultsColoursAndLabels) {
  const std::pair<const char*, const char*> rows[] = {
      // N = 2: the running costs carry 1.21 and the period counts 2.31 years of them, while the
      // purchase cost per day (450 / 912.5) and the water (19.6 x 912.5) use all 2.5 years.
      // 9.87 and 2.9 are cut to 9.8 and 2 before use.
      {"2|1.5|90||10|2.5|9.87|2.9|450|6|3|",
       "£0.047|£0.032|£0.573|£52.25|£505.36|17885|£0.044|£0.029|£0.073|£6.66|£50.84|16425|"
       "£0.500|£45.59|£454.52|1460|----|Cost Saving|Water Use Saving"},
      // Item 1 with a purchase cost only, item 2 thirstier: no running cost, its water shows 0.
      {"2.5|||||4|||250|12|5|",
       "||£0.171|£15.63|£250.00|0|£0.150||£0.150|£13.69|£219.00|87600|£0.021|£1.94|£31.00|87600|"
       "---O|Cost Saving|Water Use Increase"},
      // Checks inhibited (the leading "!"): a negative period total is neither emptied nor
      // formatted. The differences -0.0135 and -109.855 lie halfway in their last digit:
      // judged on their decimal form they round up.
      {"!1.5|||||2|1|1|-100|5|2|",
       "£0.002||£0.002|£0.14|£-98.905|730|£0.015||£0.015|£1.37|£10.95|7300|£0.014|£1.23|£109.86|"
       "6570|OOOO|Cost Increase|Water Use Increase"},
  };
  for (const auto& [typed, shown] : rows) {
    Start(typed[0] == '!');
    Enter(typed[0] == '!' ? typed + 1 : typed);
    window.Calc_Click();
    EXPECT_TRUE(fake.boxes.Shown().empty());
    std::string colours;
    for (const Field field : kComparisonFields)
      colours += fields.Colour(field) == kOrange ? 'O' : fields.Colour(field) == kBlack ? '-' : '?';
    EXPECT_EQ(Texts(kResults) + "|" + colours + "|" + State().CostSaveLabel + "|" +
                  State().WaterSaveLabel,
              shown);
  }
}

// With Auto Save a record is appended once per change (new notes are one); a check failure
// shows every message once, logs nothing and leaves the results as they were, orange included.
TEST_F(CalculationTest, TheRecordIsLoggedOncePerChangeAndAFailureKeepsTheResults) {
  Start();
  window.SetCheckBox(Field::AutoSave, 1);
  Enter("1.5|2|95|20||5|9|4||6|4|300");
  window.Calc_Click();
  EXPECT_EQ(window.appended, std::vector{State().RecordText});
  EXPECT_FALSE(fields.IsEnabled(Field::Save));
  window.Calc_Click();
  EXPECT_EQ(fields.Caption(Field::Status), "The Data Has Not Changed Since The Last Calculation");
  Set({{Field::Notes, "second opinion"}});
  window.Calc_Click();
  EXPECT_EQ(window.appends, 2);
  Set({{Field::PPeriod, "0"}, {Field::WVCost, "9"}, {Field::Item2Use, "600"}});
  window.Calc_Click();
  ExpectBoxes({{"Tolvarn Data Error",
                "Payback Period must be between 1.0 and 10.0 years\n"
                "Water Volume Charge per cubic metre must be between 0.1000 and 5.0000\n"
                "Item 2 litres per Use must be empty or between 1.0 and 500.0\n",
                BoxIcon::Stop, BoxButtons::Ok}});
  EXPECT_EQ(window.appends, 2);
  EXPECT_EQ(Text(Field::WVCost), "£9");  // the symbol is back
  EXPECT_EQ(Text(Field::PeriodSave), "£210.65");
  EXPECT_EQ(fields.Colour(Field::DaySave), kOrange);
}

// The start makes a missing log and says it started. Activation puts the window on top again
// and ends a wait to Save; back from About it is on top again, but no Save is ended. The start
// reads -InhibitErrorCheck.
TEST_F(CalculationTest, TheStartMakesTheLogAndOnTopHoldsThroughActivationAndAbout) {
  for (const char* folder : {"Data", "Help", "Log"})
    fake.files.AddDirectory(folder);
  fake.files.files["Data/Tolvarn.ini"] = testing::kExampleConfiguration;
  window.Form_Load();
  EXPECT_TRUE(fake.files.files.at("Log/Tolvarn.log").starts_with("Tolvarn Results Log"));
  EXPECT_EQ(window.appended,
            std::vector<std::string>{"Tolvarn Started\r\nVersion 4.3\r\n07/12/26 09:05:03\r\n"});
  window.SetCheckBox(Field::OnTop, 1);
  fields.SetEnabled(Field::Save, true);
  fake.window.top_most.clear();
  window.About_Click();
  EXPECT_TRUE(fields.IsEnabled(Field::Save));
  window.Form_Activate();
  EXPECT_EQ(fake.window.top_most, std::vector<bool>({true, true}));
  EXPECT_FALSE(fields.IsEnabled(Field::Save));
  testing::RecordingWindow inhibited(fields, fake.platform(), "  -InhibitErrorCheck   ");
  inhibited.Form_Load();
  EXPECT_EQ(inhibited.State().InhibitErrorCheck, 1);  // blanks around it do not matter
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
// symbol and in the window's units, or none with the checks' messages (their texts: DataChecks),
// the sewerage rule's only once the others pass; the window untouched.
TEST_F(CalculationTest, TheTariffNowReadsAsCalculateWouldAndChangesNothing) {
  // The tariff as WindowTest::Enter takes it, in gallons or not; what it reads as.
  const std::tuple<const char*, bool, std::optional<HouseholdTariff>, size_t> rows[] = {
      {"\u00A31.5|\u00A32|95|20||5", false, HouseholdTariff{1.5, 2, 95, 20, false}, 0},
      {"0.25|||||1", true, HouseholdTariff{0.25, 0, 0, 0, true}, 0},
      {"9|2|0|||", false, std::nullopt, 2},
      {"1.5|2|0|||5", false, std::nullopt, 1},
  };
  for (const auto& [typed, gallons, tariff, messages] : rows) {
    SCOPED_TRACE(typed);
    Start(false, gallons);
    Enter(std::string(typed) + "|9|4||6|4|300");
    State().CheckMessages = "from before\n";
    const std::string before = Texts(kInputs);
    const TariffReading reading = window.ReadTariffNow();
    EXPECT_EQ(reading.messages.size(), messages);
    EXPECT_TRUE(reading.tariff == tariff);
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

// A launcher that cannot start (no thread left to watch the handler) is told, not let through.
TEST_F(CalculationTest, AHandlerThatCannotStartIsReportedWithItsCommandsMessage) {
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
