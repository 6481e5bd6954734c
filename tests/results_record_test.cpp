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

// Whatever the fields hold (control characters, blanks, nothing), each reads back whole in the
// place a marker takes, a control character as a blank: the record differs from one built with
// a marker in each field that is not empty only by those texts. The items' lines follow their
// use, and a comparison label is cut to 18 characters.
RC_GTEST_FIXTURE_PROP(RecordTest, AnyRecordReadsBackWithItsFields, ()) {
  Start();
  WindowState& s = State();
  const bool item1 = *rc::gen::arbitrary<bool>(), item2 = *rc::gen::arbitrary<bool>();
  s.Item1Empty = !item1;
  s.Item2Empty = !item2;
  s.WaterSaveLabel = s.CostSaveLabel = "Eighteen characters+";
  const auto piece = rc::gen::elementOf(
      std::vector<std::string>{"1", "0.5", "£", "-", "x", " ", "\t", "\r\n", "\x7F", "Water"});
  constexpr Field kNotes[] = {Field::Notes};
  std::vector<std::pair<Field, std::string>> texts;
  for (const auto& which : {std::span<const Field>(kInputs), std::span<const Field>(kResults),
                            std::span<const Field>(kNotes)})
    for (const Field field : which) {
      std::string text;
      for (int n = *rc::gen::inRange(0, 5); n > 0; --n)
        text += *piece;
      texts.emplace_back(field, text);
    }
  const auto build = [&](bool marked) {
    for (size_t i = 0; i < texts.size(); ++i)
      fields.SetText(texts[i].first, marked && !texts[i].second.empty()
                                         ? "#" + std::to_string(i) + "#"
                                         : texts[i].second);
    window.BuildRecord();
    return Unpadded(s.RecordBody);
  };
  const std::string record = build(false);
  std::string expected = build(true);
  for (size_t i = 0; i < texts.size(); ++i) {
    const std::string marker = "#" + std::to_string(i) + "#";
    for (size_t at; (at = expected.find(marker)) != std::string::npos;)
      expected.replace(at, marker.size(), Unpadded(OneLine(texts[i].second)));
  }
  RC_ASSERT(record == expected);
  const auto count = [&](const std::string& what) {
    size_t n = 0;
    for (size_t at = 0; (at = record.find(what, at)) != std::string::npos; at += what.size())
      ++n;
    return n;
  };
  RC_ASSERT(count("Item1") == 3u * item1 && count("Item2") == 3u * item2);
  RC_ASSERT(count("Eighteencharacter:") == 2u * (item1 && item2));
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
