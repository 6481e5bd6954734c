// The results record: its column rules, its date line, and the whole record that Calculate
// builds from the window as the user sees it after a calculation.
//
// The expected lines were laid out by hand from the column rules (pad, width, counted in
// characters) and the results worked out separately for each input set.
#include <gtest/gtest.h>

#include <algorithm>

#include <array>
#include <ostream>
#include <string>
#include <vector>

#include "core/field.h"
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

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines)
    text += line + "\r\n";
  return text;
}

TEST(RecordColumnTest, RightColumnPadsAndWritesOverlongValuesWhole) {
  struct Row {
    const char* meaning;
    const char* value;
    int pad;
    int width;
    const char* expected;
  };
  const Row rows[] = {
      {"a value of n - 1 characters fills the column", "£1.5000", 8, 8, " £1.5000"},
      {"a short value is narrower than the column", "n-a", 8, 8, "     n-a"},
      {"an empty value leaves the pad", "", 6, 6, "      "},
      // The period line follows the column rule: two blanks, not the three of the example.
      {"a pad wider than the width", "5.0", 6, 5, "  5.0"},
      {"a negative value", "-18.0", 6, 6, " -18.0"},
      {"a value of exactly n characters", "£1234.567", 5, 9, "£1234.567"},
      {"an overlong value is written whole", "4106.25", 6, 6, "4106.25"},
      {"an overlong value with its symbol", "£12345.678", 5, 9, "£12345.678"},
      {"an overlong period total", "£1234567890.12", 11, 11, "£1234567890.12"},
  };
  for (const Row& row : rows) {
    std::string column = "|";
    AppendRightColumn(column, row.value, row.pad, row.width);
    EXPECT_EQ(column, "|" + std::string(row.expected)) << row.meaning;
  }
}

TEST(RecordColumnTest, LeftLabelIsPaddedAndCutTo18Characters) {
  const auto label = [](std::string_view text, int pad) {
    std::string out;
    AppendLeftLabel(out, text, pad);
    return out;
  };
  EXPECT_EQ(label("Cost Increase", 21), "Cost Increase     ");
  EXPECT_EQ(label("Cost Saving", 21), "Cost Saving       ");
  EXPECT_EQ(label("Water Use Increase", 18), "Water Use Increase");
  EXPECT_EQ(label("Water Use Saving", 18), "Water Use Saving  ");
}

class RecordTest : public WindowTest {};

TEST_F(RecordTest, DateLineIsTheShortDateAndThe24HourTime) {
  struct Row {
    const char* date_format;
    LocalDateTime now;
    const char* expected;
  };
  const Row rows[] = {
      {"%d/%m/%y", {2026, 12, 7, 9, 5, 3}, "07/12/26 09:05:03"},
      {"%Y-%m-%d", {2027, 1, 2, 23, 59, 0}, "2027-01-02 23:59:00"},
      {"%m/%d/%Y", {2026, 3, 4, 0, 0, 9}, "03/04/2026 00:00:09"},
  };
  for (const Row& row : rows) {
    fake.locale.date_format = row.date_format;
    fake.clock.now = row.now;
    EXPECT_EQ(window.DateTimeText(), row.expected) << row.date_format;
  }
}

constexpr std::array<Field, 12> kInputs = {Field::WVCost,   Field::SVCost,    Field::SVAllow,
                                           Field::VRate,    Field::AnInfT,    Field::PPeriod,
                                           Field::Item1Use, Field::Item1UseD, Field::Item1Cost,
                                           Field::Item2Use, Field::Item2UseD, Field::Item2Cost};

struct RecordCase {
  const char* meaning;
  bool gallons;
  const char* symbol;
  const char* notes;
  std::array<const char*, 12> typed;  // in the order of kInputs
  std::vector<std::string> body;
};

void PrintTo(const RecordCase& c, std::ostream* os) {
  *os << c.meaning;
}

const RecordCase kCases[] = {
    {"litres, both items and notes: the tariff lines in order, n-a for no cost",
     false,
     "£",
     "Kitchen: old tap v. spray tap",
     {"1.5", "2", "95", "20", "", "5", "9", "4", "", "6", "4", "300"},
     {
         "Kitchen: old tap v. spray tap",
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
     }},
    // The rate line says VAT whatever the window calls the rate.
    {"gallons and the dollar: Gal and per 1000 Gallons, still VAT",
     true,
     "$",
     "",
     {"1.5", "2", "95", "20", "", "5", "9", "4", "", "6", "4", "300"},
     {
         "",
         kDashes,
         "Water Volume Cost         :  $1.5000 per 1000 Gallons",
         "Sewerage Volume Cost      :  $2.0000 per 1000 Gallons",
         "Sewerage Volume Allowance :  95.0 %",
         "VAT                       :  20.0 %",
         "Payback Period            :   5.0 years ",
         "",
         kDashes,
         "Item 1:    9.0 Gal used  4 times a day, Investment Cost:      n-a",
         "Item 2:    6.0 Gal used  4 times a day, Investment Cost:  $300.00",
         kDashes,
         "Item 1 Water Use  :  36.0 Gal/day   3285 Gal/Qtr    65700 Gal over  5.0 years",
         "Item 2 Water Use  :  24.0 Gal/day   2190 Gal/Qtr    43800 Gal over  5.0 years",
         "Water Use Saving  :  12.0 Gal/day   1095 Gal/Qtr    21900 Gal over  5.0 years",
         kDashes,
         "Item 1 Cost       :    $0.147/day,    $13.40/Qtr,     $268.06 over  5.0 years",
         "Item 2 Cost       :    $0.262/day,    $23.94/Qtr,     $478.70 over  5.0 years",
         "Cost Increase     :    $0.115/day,    $10.53/Qtr,     $210.65 over  5.0 years",
     }},
    {"item 2 empty: its lines and both difference lines vanish, the dashes stay",
     false,
     "£",
     "",
     {"1.5", "2", "95", "20", "", "5", "9", "4", "", "", "", ""},
     {
         "",
         kDashes,
         "Water Volume Cost         :  £1.5000 per Cubic Metre",
         "Sewerage Volume Cost      :  £2.0000 per Cubic Metre",
         "Sewerage Volume Allowance :  95.0 %",
         "VAT                       :  20.0 %",
         "Payback Period            :   5.0 years ",
         "",
         kDashes,
         "Item 1:    9.0 Ltr used  4 times a day, Investment Cost:      n-a",
         kDashes,
         "Item 1 Water Use  :  36.0 Ltr/day   3285 Ltr/Qtr    65700 Ltr over  5.0 years",
         kDashes,
         "Item 1 Cost       :    £0.147/day,    £13.40/Qtr,     £268.06 over  5.0 years",
     }},
    {"item 1 empty: its lines and both difference lines vanish, the dashes stay",
     false,
     "£",
     "",
     {"1.5", "2", "95", "20", "", "5", "", "", "", "6", "4", "300"},
     {
         "",
         kDashes,
         "Water Volume Cost         :  £1.5000 per Cubic Metre",
         "Sewerage Volume Cost      :  £2.0000 per Cubic Metre",
         "Sewerage Volume Allowance :  95.0 %",
         "VAT                       :  20.0 %",
         "Payback Period            :   5.0 years ",
         "",
         kDashes,
         "Item 2:    6.0 Ltr used  4 times a day, Investment Cost:  £300.00",
         kDashes,
         "Item 2 Water Use  :  24.0 Ltr/day   2190 Ltr/Qtr    43800 Ltr over  5.0 years",
         kDashes,
         "Item 2 Cost       :    £0.262/day,    £23.94/Qtr,     £478.70 over  5.0 years",
     }},
    // The water differences are signed; the period difference is its magnitude.
    {"item 2 thirstier: Water Use Increase fills the label, negative differences",
     false,
     "£",
     "",
     {"1.8", "1.2", "90", "5", "", "4", "6", "3", "400", "9", "4", ""},
     {
         "",
         kDashes,
         "Water Volume Cost         :  £1.8000 per Cubic Metre",
         "Sewerage Volume Cost      :  £1.2000 per Cubic Metre",
         "Sewerage Volume Allowance :  90.0 %",
         "VAT                       :   5.0 %",
         "Payback Period            :   4.0 years ",
         "",
         kDashes,
         "Item 1:    6.0 Ltr used  3 times a day, Investment Cost:  £400.00",
         "Item 2:    9.0 Ltr used  4 times a day, Investment Cost:      n-a",
         kDashes,
         "Item 1 Water Use  :  18.0 Ltr/day 1642.5 Ltr/Qtr    26280 Ltr over  4.0 years",
         "Item 2 Water Use  :  36.0 Ltr/day   3285 Ltr/Qtr    52560 Ltr over  4.0 years",
         "Water Use Increase: -18.0 Ltr/day  -1643 Ltr/Qtr    26280 Ltr over  4.0 years",
         kDashes,
         "Item 1 Cost       :    £0.328/day,    £29.97/Qtr,     £479.47 over  4.0 years",
         "Item 2 Cost       :    £0.109/day,     £9.93/Qtr,     £158.94 over  4.0 years",
         "Cost Saving       :    £0.220/day,    £20.03/Qtr,     £320.53 over  4.0 years",
     }},
    // 45 l a day make 4106.25 l a quarter, seven characters in a column of six.
    {"identical items: zero differences, an overlong quarter water written whole",
     false,
     "£",
     "",
     {"1.25", "", "", "", "", "3", "7.5", "6", "120", "7.5", "6", "120"},
     {
         "",
         kDashes,
         "Water Volume Cost         :  £1.2500 per Cubic Metre",
         "Payback Period            :   3.0 years ",
         "",
         kDashes,
         "Item 1:    7.5 Ltr used  6 times a day, Investment Cost:  £120.00",
         "Item 2:    7.5 Ltr used  6 times a day, Investment Cost:  £120.00",
         kDashes,
         "Item 1 Water Use  :  45.0 Ltr/day 4106.25 Ltr/Qtr    49275 Ltr over  3.0 years",
         "Item 2 Water Use  :  45.0 Ltr/day 4106.25 Ltr/Qtr    49275 Ltr over  3.0 years",
         "Water Use Saving  :   0.0 Ltr/day      0 Ltr/Qtr        0 Ltr over  3.0 years",
         kDashes,
         "Item 1 Cost       :    £0.166/day,    £15.13/Qtr,     £181.59 over  3.0 years",
         "Item 2 Cost       :    £0.166/day,    £15.13/Qtr,     £181.59 over  3.0 years",
         "Cost Saving       :    £0.000/day,     £0.00/Qtr,       £0.00 over  3.0 years",
     }},
    {"item 1 with a cost only: empty use columns, no water",
     false,
     "£",
     "",
     {"2.5", "", "", "", "", "4", "", "", "250", "12", "5", ""},
     {
         "",
         kDashes,
         "Water Volume Cost         :  £2.5000 per Cubic Metre",
         "Payback Period            :   4.0 years ",
         "",
         kDashes,
         "Item 1:        Ltr used    times a day, Investment Cost:  £250.00",
         "Item 2:   12.0 Ltr used  5 times a day, Investment Cost:      n-a",
         kDashes,
         "Item 1 Water Use  :   0.0 Ltr/day      0 Ltr/Qtr        0 Ltr over  4.0 years",
         "Item 2 Water Use  :  60.0 Ltr/day   5475 Ltr/Qtr    87600 Ltr over  4.0 years",
         "Water Use Increase: -60.0 Ltr/day  -5475 Ltr/Qtr    87600 Ltr over  4.0 years",
         kDashes,
         "Item 1 Cost       :    £0.171/day,    £15.63/Qtr,     £250.00 over  4.0 years",
         "Item 2 Cost       :    £0.150/day,    £13.69/Qtr,     £219.00 over  4.0 years",
         "Cost Saving       :    £0.021/day,     £1.94/Qtr,      £31.00 over  4.0 years",
     }},
    {"inflation over 2.5 years, with the truncated use and uses a day",
     false,
     "£",
     "",
     {"2", "1.5", "90", "", "10", "2.5", "9.87", "2.9", "450", "6", "3", ""},
     {
         "",
         kDashes,
         "Water Volume Cost         :  £2.0000 per Cubic Metre",
         "Sewerage Volume Cost      :  £1.5000 per Cubic Metre",
         "Sewerage Volume Allowance :  90.0 %",
         "Annual Inflation          :  10.0 %",
         "Payback Period            :   2.5 years ",
         "",
         kDashes,
         "Item 1:    9.8 Ltr used  2 times a day, Investment Cost:  £450.00",
         "Item 2:    6.0 Ltr used  3 times a day, Investment Cost:      n-a",
         kDashes,
         "Item 1 Water Use  :  19.6 Ltr/day 1788.5 Ltr/Qtr    17885 Ltr over  2.5 years",
         "Item 2 Water Use  :  18.0 Ltr/day 1642.5 Ltr/Qtr    16425 Ltr over  2.5 years",
         "Water Use Saving  :   1.6 Ltr/day    146 Ltr/Qtr     1460 Ltr over  2.5 years",
         kDashes,
         "Item 1 Cost       :    £0.573/day,    £52.25/Qtr,     £505.36 over  2.5 years",
         "Item 2 Cost       :    £0.073/day,     £6.66/Qtr,      £50.84 over  2.5 years",
         "Cost Saving       :    £0.500/day,    £45.59/Qtr,     £454.52 over  2.5 years",
     }},
};

class RecordCaseTest : public WindowTest, public ::testing::WithParamInterface<RecordCase> {};

TEST_P(RecordCaseTest, CalculateBuildsTheRecordLineByLine) {
  const RecordCase& c = GetParam();
  fake.locale.symbol = c.symbol;
  Start(/*inhibit=*/false, c.gallons);
  for (size_t i = 0; i < kInputs.size(); ++i)
    fields.SetText(kInputs[i], c.typed[i]);
  fields.SetText(Field::Notes, c.notes);

  window.Calc_Click();

  ASSERT_TRUE(fake.boxes.Shown().empty());
  EXPECT_EQ(Lines(State().RecordBody), c.body);
  EXPECT_EQ(State().RecordBody, Joined(c.body));
  EXPECT_EQ(State().RecordText, "07/12/26 09:05:03\r\n" + Joined(c.body) + "\r\n\r\n");
}

INSTANTIATE_TEST_SUITE_P(Cases, RecordCaseTest, ::testing::ValuesIn(kCases));

TEST_F(RecordTest, SameDataLaterGivesTheSameBodyUnderANewDateLine) {
  Start();
  Set({{Field::WVCost, "1.5"},
       {Field::PPeriod, "5"},
       {Field::Item1Use, "9"},
       {Field::Item1UseD, "4"}});
  window.Calc_Click();
  const std::string body = State().RecordBody;
  ASSERT_FALSE(body.empty());

  fake.clock.now.second = 4;
  window.Calc_Click();
  EXPECT_EQ(State().RecordBody, body);
  EXPECT_EQ(State().RecordText, "07/12/26 09:05:04\r\n" + body + "\r\n\r\n");
}

// Values wider than their columns, put on the window directly: each is written whole, without
// blanks before it, and the rest of its line moves right.
TEST_F(RecordTest, OverlongValuesAreWrittenWhole) {
  Start();
  Set({{Field::Notes, "overlong"},
       {Field::WVCost, "£12.34567"},
       {Field::PPeriod, "10.0"},
       {Field::Item1Use, "1234.5"},
       {Field::Item1UseD, "100"},
       {Field::Item1Cost, "£123456.78"},
       {Field::Item1W, "123456789"},
       {Field::Item1Day, "£1234.567"},
       {Field::Item1Qtr, "£112345.67"},
       {Field::Item1Period, "£1234567890.12"}});
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

// A line break or other control character typed into the notes or any field must not break
// the record's one line per piece: each becomes a blank.
TEST_F(RecordTest, ControlCharactersBecomeBlanks) {
  Start(true);
  Set({{Field::Notes, "two\r\nlines\tand a tab"},
       {Field::WVCost, "1\n5"},
       {Field::PPeriod, "5"},
       {Field::Item1Use, "9"},
       {Field::Item1UseD, "4"}});
  window.Calc_Click();
  const std::string& body = State().RecordBody;
  EXPECT_TRUE(body.starts_with("two  lines and a tab\r\n")) << body;
  EXPECT_EQ(std::count(body.begin(), body.end(), '\n'), std::count(body.begin(), body.end(), '\r'));
  EXPECT_NE(body.find("Water Volume Cost         :     \u00A31 5 per Cubic Metre\r\n"),
            std::string::npos)
      << body;
}

}  // namespace
}  // namespace tolvarn
