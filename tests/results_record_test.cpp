// The results record, laid out by hand from the column rules (pad, width, counted in characters).
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <span>
#include <string>
#include <utility>
#include <vector>

#include "files/files_window.h"
#include "files/record_scan.h"
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

// The column rules, counted in characters: a value wider than its column is written whole,
// without blanks before it (a cut number would be a wrong number); a label is cut to 18.
TEST(RecordColumns, ValuesAndLabels) {
  const struct {
    const char* value;
    int pad, width;
    const char* right;  // AppendRightColumn
    const char* label;  // AppendLeftLabel with the pad
  } rows[] = {
      {"£1.5000", 8, 8, " £1.5000", "£1.5000        "},
      {"£12.34567", 8, 8, "£12.34567", "£12.34567        "},
      {"5.0", 6, 5, "  5.0", "5.0      "},
      {"Water Use Saving", 18, 16, "Water Use Saving", "Water Use Saving  "},
      {"Eighteen characters+", 21, 25, "     Eighteen characters+", "Eighteen character"},
  };
  for (const auto& row : rows) {
    std::string right, label;
    AppendRightColumn(right, row.value, row.pad, row.width);
    AppendLeftLabel(label, row.value, row.pad);
    EXPECT_EQ(right, row.right) << row.value;
    EXPECT_EQ(label, row.label) << row.value;
  }
}

// The text without its blanks, "\n" for each line end: what is left of a record once its
// columns are taken away.
std::string Unpadded(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] != ' ' && text.compare(i, 2, "\r\n") != 0) out += text[i] == '\r' ? '\n' : text[i];
  return out;
}

// Whatever the fields hold (control characters, blanks, nothing) and whichever items take part,
// each field reads back from the record in its place, a control character as a blank, and the
// archive's scan sees a record in the log, wherever its blocks end.
RC_GTEST_FIXTURE_PROP(RecordTest, AnyRecordReadsBackWithItsFields, ()) {
  Start();
  const auto text = [] {
    const auto pieces = rc::gen::elementOf(
        std::vector<std::string>{"1", "0.5", "£", "-", "x", " ", "\t", "\r\n", "\x7F", "Water"});
    std::string joined;
    for (int n = *rc::gen::inRange(0, 5); n > 0; --n)
      joined += *pieces;
    return joined;
  };
  fields.SetText(Field::Notes, text());
  for (const auto& which : {std::span<const Field>(kInputs), std::span<const Field>(kResults)})
    for (const Field field : which)
      fields.SetText(field, text());
  WindowState& state = State();
  state.Item1Empty = *rc::gen::inRange(0, 2);
  state.Item2Empty = *rc::gen::inRange(0, 2);
  const auto label = rc::gen::elementOf(
      std::vector<std::string>{"Water Use Saving", "Cost Increase", "Eighteen characters+"});
  state.WaterSaveLabel = *label;
  state.CostSaveLabel = *label;
  state.Item1DayWater = *rc::gen::inRange(-99999, 99999) / 7.0;
  for (float* water : {&state.Item2DayWater, &state.DayWaterDiff, &state.Item1QtrWater,
                       &state.Item2QtrWater, &state.QtrWaterDiff})
    *water = static_cast<float>(*rc::gen::inRange(-99999, 99999) / 7.0);
  window.BuildRecord();

  const auto v = [&](Field field) { return OneLine(Text(field)); };
  const std::string& unit = state.UnitAbbrev;
  const std::string over = " over " + v(Field::PPeriod) + " years\n";
  const bool item[] = {state.Item1Empty == 0, state.Item2Empty == 0};
  std::string e = v(Field::Notes) + "\n" + kDashes + "\nWater Volume Cost : " + v(Field::WVCost) +
                  " " + state.ChargeUnitText + "\n";
  for (const auto& [field, line] : {std::pair{Field::SVCost, "Sewerage Volume Cost : "},
                                    {Field::SVAllow, "Sewerage Volume Allowance : "},
                                    {Field::VRate, "VAT : "},
                                    {Field::AnInfT, "Annual Inflation : "}})
    if (!Text(field).empty())
      e += line + v(field) + (field == Field::SVCost ? " " + state.ChargeUnitText : " %") + "\n";
  e += "Payback Period : " + v(Field::PPeriod) + " years\n\n" + kDashes + "\n";
  for (int k : {0, 1})
    if (item[k]) {
      const Field* f = kInputs + 6 + 3 * k;
      e += "Item " + std::to_string(k + 1) + ": " + v(f[0]) + " " + unit + " used " + v(f[1]) +
           " times a day, Investment Cost: " + (Text(f[2]).empty() ? "n-a" : v(f[2])) + "\n";
    }
  e += kDashes + "\n";
  const double day[] = {state.Item1DayWater, state.Item2DayWater, state.DayWaterDiff};
  const float quarter[] = {state.Item1QtrWater, state.Item2QtrWater, state.QtrWaterDiff};
  const Field water[] = {Field::Item1W, Field::Item2W, Field::PeriodWater};
  const std::string water_label[] = {
      "Item 1 Water Use :", "Item 2 Water Use :", state.WaterSaveLabel.substr(0, 18) + ":"};
  const bool line[] = {item[0], item[1], item[0] && item[1]};
  for (int k : {0, 1, 2})
    if (line[k])
      e += water_label[k] + FormatFixed(day[k], 1) + " " + unit + "/day " + TextOf(quarter[k]) +
           " " + unit + "/Qtr " + v(water[k]) + " " + unit + over;
  e += kDashes + "\n";
  const std::string cost_label[] = {
      "Item 1 Cost : ", "Item 2 Cost : ", state.CostSaveLabel.substr(0, 18) + ":"};
  for (int k : {0, 1, 2})
    if (line[k]) {
      const Field* f = kResults + (k == 2 ? 12 : 2 + 6 * k);
      e += cost_label[k] + v(f[0]) + "/day, " + v(f[1]) + "/Qtr, " + v(f[2]) + over;
    }
  RC_ASSERT(Unpadded(state.RecordBody) == Unpadded(e));

  const std::string log = "Tolvarn Results Log\r\n\r\n" + state.RecordText;
  const size_t block = *rc::gen::inRange<size_t>(1, 70);
  RecordScan scan;
  for (size_t at = 0; at < log.size(); at += block)
    scan.Feed(std::string_view(log).substr(at, block));
  RC_ASSERT(scan.Found());
}

}  // namespace
}  // namespace tolvarn
