// The results record, laid out by hand from the column rules (pad, width, counted in characters).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/files_window.h"
#include "window_fixture.h"

namespace tolvarn {
namespace {

using testing::WindowTest;

const std::string kDashes(77, '-');

std::vector<std::string> Lines(const std::string& body) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = body.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(body.substr(start, end - start));
  if (start != body.size()) lines.push_back("(unterminated) " + body.substr(start));
  return lines;
}

class RecordTest : public WindowTest {};

// The default format gives "07/12/26 09:05:03" in every record below.
TEST_F(RecordTest, DateLineIsTheShortDateAndThe24HourTime) {
  fake.locale.date_format = "%Y-%m-%d";
  fake.clock.now = {2027, 1, 2, 23, 59, 0};
  EXPECT_EQ(window.DateTimeText(), "2027-01-02 23:59:00");
}

// Both items and notes: the tariff lines in order, n-a for no cost. A line break or tab typed
// into the notes becomes blanks, so that it cannot break the record's one line per piece.
TEST_F(RecordTest, CalculateBuildsTheRecordLineByLine) {
  Start();
  Enter("1.5|2|95|20||5|9|4||6|4|300");
  fields.SetText(Field::Notes, "Kitchen:\r\nold tap v.\tspray tap");
  window.Calc_Click();
  ASSERT_TRUE(fake.boxes.Shown().empty());
  EXPECT_EQ(Lines(State().RecordBody),
            (std::vector<std::string>{
                "Kitchen:  old tap v. spray tap",
                kDashes,
                "Water Volume Cost         :  £1.5000 per Cubic Metre",
                "Sewerage Volume Cost      :  £2.0000 per Cubic Metre",
                "Sewerage Volume Allowance :  95.0 %",
                "VAT                       :  20.0 %",
                "Payback Period            :   5.0 years ",
                "",
                kDashes,
                "Item 1:    9.0 Ltr used  4 times a day, Investment Cost:      n-a",
                "Item 2:    6.0 Ltr used  4 times a day, Investment Cost:  £300.00",
                kDashes,
                "Item 1 Water Use  :  36.0 Ltr/day   3285 Ltr/Qtr    65700 Ltr over  5.0 years",
                "Item 2 Water Use  :  24.0 Ltr/day   2190 Ltr/Qtr    43800 Ltr over  5.0 years",
                "Water Use Saving  :  12.0 Ltr/day   1095 Ltr/Qtr    21900 Ltr over  5.0 years",
                kDashes,
                "Item 1 Cost       :    £0.147/day,    £13.40/Qtr,     £268.06 over  5.0 years",
                "Item 2 Cost       :    £0.262/day,    £23.94/Qtr,     £478.70 over  5.0 years",
                "Cost Increase     :    £0.115/day,    £10.53/Qtr,     £210.65 over  5.0 years",
            }));
  EXPECT_EQ(State().RecordText, "07/12/26 09:05:03\r\n" + State().RecordBody + "\r\n\r\n");
}

// Values wider than their columns, put on the window directly: each is written whole, without
// blanks before it, and the rest of its line moves right.
TEST_F(RecordTest, OverlongValuesAreWrittenWhole) {
  Start();
  fields.SetText(Field::Notes, "overlong");
  Enter("£12.34567|||||10.0|1234.5|100|£123456.78");
  Enter("||£1234.567|£112345.67|£1234567890.12|123456789", kResults);
  State().Item1Empty = 0;
  State().Item2Empty = 1;
  State().Item1DayWater = 1234567.89;  // "1234567.9" in the record's one-decimal form
  State().Item1QtrWater = 12345.67f;

  window.BuildRecord();

  EXPECT_EQ(
      Lines(State().RecordBody),
      (std::vector<std::string>{
          "overlong",
          kDashes,
          "Water Volume Cost         : £12.34567 per Cubic Metre",
          "Payback Period            :  10.0 years ",
          "",
          kDashes,
          "Item 1: 1234.5 Ltr used 100 times a day, Investment Cost: £123456.78",
          kDashes,
          "Item 1 Water Use  :1234567.9 Ltr/day 12345.67 Ltr/Qtr 123456789 Ltr over 10.0 years",
          kDashes,
          "Item 1 Cost       : £1234.567/day, £112345.67/Qtr, £1234567890.12 over 10.0 years",
      }));
}

// The same for a control character in a field, here with the checks inhibited.
TEST_F(RecordTest, ControlCharactersInAFieldBecomeBlanks) {
  Start(true);
  Enter("1\n5|||||5|9|4");
  window.Calc_Click();
  EXPECT_NE(
      State().RecordBody.find("Water Volume Cost         :     \u00A31 5 per Cubic Metre\r\n"),
      std::string::npos)
      << State().RecordBody;
}

}  // namespace
}  // namespace tolvarn
