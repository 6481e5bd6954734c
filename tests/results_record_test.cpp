// The results record, laid out by hand from the column rules (pad, width, counted in characters),
// and the archive's scan for a record line.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <span>
#include <sstream>

#include "files/files_window.h"
#include "files/record_scan.h"
#include "window_fixture.h"

namespace tolvarn {
namespace {

using RecordTest = testing::WindowTest;
const std::string kDashes(77, '-');

// Both items and notes: the tariff lines in order, n-a for no cost. A line break or tab typed
// into the notes becomes blanks, so that it cannot break the record's one line per piece.
TEST_F(RecordTest, CalculateBuildsTheRecordLineByLine) {
  Start();
  Enter("1.5|2|95|20||5|9|4||6|4|300");
  fields.SetText(Field::Notes, "Kitchen:\r\nold tap v.\tspray tap");
  window.Calc_Click();
  std::string expected = "07/12/26 09:05:03\r\n";
  for (const char* line :
       {"Kitchen:  old tap v. spray tap", "-",
        "Water Volume Cost         :  £1.5000 per Cubic Metre",
        "Sewerage Volume Cost      :  £2.0000 per Cubic Metre",
        "Sewerage Volume Allowance :  95.0 %", "VAT                       :  20.0 %",
        "Payback Period            :   5.0 years ", "", "-",
        "Item 1:    9.0 Ltr used  4 times a day, Investment Cost:      n-a",
        "Item 2:    6.0 Ltr used  4 times a day, Investment Cost:  £300.00", "-",
        "Item 1 Water Use  :  36.0 Ltr/day   3285 Ltr/Qtr    65700 Ltr over  5.0 years",
        "Item 2 Water Use  :  24.0 Ltr/day   2190 Ltr/Qtr    43800 Ltr over  5.0 years",
        "Water Use Saving  :  12.0 Ltr/day   1095 Ltr/Qtr    21900 Ltr over  5.0 years", "-",
        "Item 1 Cost       :    £0.147/day,    £13.40/Qtr,     £268.06 over  5.0 years",
        "Item 2 Cost       :    £0.262/day,    £23.94/Qtr,     £478.70 over  5.0 years",
        "Cost Increase     :    £0.115/day,    £10.53/Qtr,     £210.65 over  5.0 years"})
    expected += (line == std::string("-") ? kDashes : line) + "\r\n";
  EXPECT_EQ(State().RecordText, expected + "\r\n\r\n");
}

// The text without its blanks, "\n" for each line end: a record once its columns are taken away.
std::string Unpadded(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] != ' ' && text.compare(i, 2, "\r\n") != 0) out += text[i] == '\r' ? '\n' : text[i];
  return out;
}

// Whatever the fields hold and whichever items take part, each field reads back in its place,
// whole however wide, a control character as a blank; a label is cut to 18 characters.
RC_GTEST_FIXTURE_PROP(RecordTest, AnyRecordReadsBackWithItsFields, ()) {
  Start();
  const auto piece = rc::gen::elementOf(
      std::vector<std::string>{"1", "0.5", "£", "-", "x", " ", "\t", "\r\n", "\x7F", "Water"});
  constexpr Field kNotes[] = {Field::Notes};
  for (const auto& which : {std::span<const Field>(kInputs), std::span<const Field>(kResults),
                            std::span<const Field>(kNotes)})
    for (const Field field : which) {
      std::string text;
      for (int n = *rc::gen::inRange(0, 5); n > 0; --n)
        text += *piece;
      fields.SetText(field, text);
    }
  WindowState& s = State();
  const bool item[] = {*rc::gen::arbitrary<bool>(), *rc::gen::arbitrary<bool>()};
  s.Item1Empty = !item[0];
  s.Item2Empty = !item[1];
  s.WaterSaveLabel = s.CostSaveLabel =
      *rc::gen::elementOf(std::vector<std::string>{"Cost Increase", "Eighteen characters+"});
  s.Item1DayWater = *rc::gen::inRange(-99999, 99999) / 7.0;
  for (float* water :
       {&s.Item2DayWater, &s.DayWaterDiff, &s.Item1QtrWater, &s.Item2QtrWater, &s.QtrWaterDiff})
    *water = static_cast<float>(*rc::gen::inRange(-99999, 99999) / 7.0);
  window.BuildRecord();

  const auto v = [&](Field field) { return OneLine(Text(field)); };
  const std::string u = " " + s.UnitAbbrev, over = " over " + v(Field::PPeriod) + " years\n",
                    dashes = kDashes + "\n";
  std::string e = v(Field::Notes) + "\n" + dashes + "Water Volume Cost : " + v(Field::WVCost) +
                  " " + s.ChargeUnitText + "\n";
  for (const auto& [field, line] : {std::pair{Field::SVCost, "Sewerage Volume Cost : "},
                                    {Field::SVAllow, "Sewerage Volume Allowance : "},
                                    {Field::VRate, "VAT : "},
                                    {Field::AnInfT, "Annual Inflation : "}})
    if (!Text(field).empty())
      e += line + v(field) + (field == Field::SVCost ? " " + s.ChargeUnitText : " %") + "\n";
  e += "Payback Period : " + v(Field::PPeriod) + " years\n\n" + dashes;
  for (int k : {0, 1})
    if (item[k]) {
      const Field* f = kInputs + 6 + 3 * k;
      e += "Item " + std::to_string(k + 1) + ": " + v(f[0]) + u + " used " + v(f[1]) +
           " times a day, Investment Cost: " + (Text(f[2]).empty() ? "n-a" : v(f[2])) + "\n";
    }
  const bool line[] = {item[0], item[1], item[0] && item[1]};
  const double day[] = {s.Item1DayWater, s.Item2DayWater, s.DayWaterDiff};
  const float quarter[] = {s.Item1QtrWater, s.Item2QtrWater, s.QtrWaterDiff};
  const Field water[] = {Field::Item1W, Field::Item2W, Field::PeriodWater};
  const std::string label = s.WaterSaveLabel.substr(0, 18) + ":";
  e += dashes;
  for (int k : {0, 1, 2})
    if (line[k])
      e += (k < 2 ? "Item " + std::to_string(k + 1) + " Water Use :" : label) +
           FormatFixed(day[k], 1) + u + "/day " + TextOf(quarter[k]) + u + "/Qtr " + v(water[k]) +
           u + over;
  e += dashes;
  for (int k : {0, 1, 2})
    if (line[k]) {
      const Field* f = kResults + (k == 2 ? 12 : 2 + 6 * k);
      e += (k < 2 ? "Item " + std::to_string(k + 1) + " Cost : " : label) + v(f[0]) + "/day, " +
           v(f[1]) + "/Qtr, " + v(f[2]) + over;
    }
  RC_ASSERT(Unpadded(s.RecordBody) == Unpadded(e));
}

// The archive's scan agrees with the line rule wherever its blocks end: a line that, its
// leading blanks aside, begins with "Water".
RC_GTEST_PROP(RecordScan, AgreesWithTheLineRuleForAnyBlockSize, ()) {
  const auto piece = rc::gen::elementOf(std::vector<std::string>{
      "Water", "Wat", "er", " ", "x", "W", "a", "Item 1 Water Use", "\r\n", "\n"});
  std::string text;
  for (int n = *rc::gen::inRange(0, 13); n > 0; --n)
    text += *piece;
  bool expected = false;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);)
    expected = expected ||
               line.substr(std::min(line.find_first_not_of(' '), line.size())).starts_with("Water");
  for (const size_t block : {1, 2, 3, 4, 5, 6, 7, 64}) {
    RecordScan scan;
    for (size_t at = 0; at < text.size() && !scan.Found(); at += block)
      scan.Feed(std::string_view(text).substr(at, block));
    RC_ASSERT(scan.Found() == expected);
  }
}

}  // namespace
}  // namespace tolvarn
