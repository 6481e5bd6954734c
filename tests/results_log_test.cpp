// The results log, the archive command with its scan, the error dump and the record.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <map>
#include <ranges>
#include <sstream>
#include <tuple>

#include "files/files_window.h"
#include "files/record_scan.h"
#include "window_fixture.h"

namespace tolvarn {
namespace {

const std::string kHeader =
    "Tolvarn Results Log\r\nVersion 4.3\r\nFile Created\r\n07/12/26 09:05:03\r\n\r\n\r\n";
const std::string kStartEntry = "Tolvarn Started\r\nVersion 4.3\r\n07/12/26 09:05:03\r\n\r\n";
const std::string kRecord =
    "07/12/26 09:06:10\r\nTaps\r\n-----\r\nWater Volume Cost : 1\r\n\r\n\r\n";

const MessageBoxRequest kLogMissing{"Tolvarn Results Log File Error",
                                    "The results log file is either missing or\r\ncorrupted. To "
                                    "restore the results log file\r\nreinstall the program.",
                                    BoxIcon::Exclamation, BoxButtons::Ok};

MessageBoxRequest LogFileError(const std::string& first_line) {
  return {"Tolvarn Log File Error", first_line + "\r\nThis may be a permissions problem.",
          BoxIcon::Exclamation, BoxButtons::Ok};
}

class ResultsLog : public testing::WindowTest {
 protected:
  ResultsLog() { fake.files.AddDirectory("Log"); }
  void PutLog(const std::string& text) { fake.files.files[std::string(kLogPath)] = text; }
  const std::string& LogText() const { return fake.files.files.at(std::string(kLogPath)); }
  long LogAppends() const {
    return std::ranges::count(fake.files.operations, "Append " + std::string(kLogPath));
  }
};

// One write each; an append does not create a log deleted behind the program's back.
TEST_F(ResultsLog, CreateAndAppendWriteOneWholeEntryOrReport) {
  const std::string kNone = "(no file)";
  const auto failed = [](const std::string& what) {
    return std::vector{LogFileError("Unable to " + what + " the log file. Tolvarn.log")};
  };
  using Row = std::tuple<bool, std::string, FileStep, std::string, std::vector<MessageBoxRequest>>;
  for (const auto& [create, before, fail, after, boxes] :
       {Row{true, kHeader + kStartEntry, FileStep::None, kHeader + kStartEntry, {}},
        Row{true, kNone, FileStep::Open, kNone, failed("create")},
        Row{false, kHeader, FileStep::None, kHeader + kStartEntry, {}},
        Row{false, kNone, FileStep::None, kNone, {kLogMissing}},
        Row{false, kHeader, FileStep::Write, kHeader, failed("write to")}}) {
    fake.files.files.clear();
    fake.files.operations.clear();
    if (before != kNone) PutLog(before);
    fake.files.FailAt(fail);
    State().RecordText = "Tolvarn Started\r\nVersion 4.3\r\n07/12/26 09:05:03\r\n";
    create ? window.CreateResultsLog() : window.FilesWindow::AppendToLog();
    ExpectBoxes(boxes);
    EXPECT_EQ(fake.files.files.contains(std::string(kLogPath)) ? LogText() : kNone, after);
    EXPECT_EQ(LogAppends(), create || before == kNone ? 0 : 1);
  }
}

// Y, N, C answer Yes, No and Cancel; the boxes are A (archive?), S (sure?), D (no data) and
// F (archive failed). A failed step leaves the log as it was; the status tells what happened.
TEST_F(ResultsLog, ArchiveFollowsTheAnswersAndKeepsTheLogWhenAStepFails) {
  const std::map<char, MessageBoxRequest> kBoxes = {
      {'A',
       {"Archive Tolvarn Results Log File",
        "Do you want to archive the log file?\r\n"
        "To Archive the results log file and create a new one click Yes\r\n"
        "To Clear the results log file without archiving it click No\r\nClick Cancel to return",
        BoxIcon::Exclamation, BoxButtons::YesNoCancel}},
      {'S',
       {"Tolvarn Create New Log File", "Are you sure you want to create a new results log file?",
        BoxIcon::None, BoxButtons::YesNo}},
      {'D',
       {"Tolvarn Results Log File Error",
        "There is no data to archive!\r\nResults log file not archived.", BoxIcon::Exclamation,
        BoxButtons::Ok}},
      {'F', LogFileError("Unable to archive the results log file Tolvarn.log.")}};
  // The log archived (copied and renewed), cleared (renewed) or kept.
  for (const auto& [records, answers, boxes, fail, skip, after] :
       // clang-format off
       {std::tuple{true, "Y", "A", FileStep::None, 0, 'A'},
        {false, "Y", "AD", FileStep::None, 0, 'K'}, {true, "NY", "AS", FileStep::None, 0, 'C'},
        {false, "N", "A", FileStep::None, 0, 'C'}, {true, "C", "A", FileStep::None, 0, 'K'},
        {true, "Y", "AF", FileStep::Write, 0, 'K'}, {true, "Y", "AF", FileStep::Write, 1, 'K'},
        {false, "N", "AF", FileStep::Flush, 0, 'K'}, {true, "", "F", FileStep::Read, 0, 'K'}}) {
    // clang-format on
    fake.files.files.clear();
    const std::string before = kHeader + kStartEntry + (records ? kRecord : "") + kStartEntry;
    PutLog(before);
    fields.SetCaption(Field::Status, "Water Data Saved");
    fields.SetEnabled(Field::Timer1, true);
    for (const char a : std::string(answers))
      fake.boxes.Script({a == 'Y' ? BoxAnswer::Yes : a == 'N' ? BoxAnswer::No : BoxAnswer::Cancel});
    fake.files.FailAt(fail, skip);
    window.Archive_Click();
    std::vector<MessageBoxRequest> expected;
    for (const char box : std::string(boxes))
      expected.push_back(kBoxes.at(box));
    ExpectBoxes(expected);
    const std::string status = after == 'A'   ? "Results Log File Archived"
                               : after == 'C' ? "Results Log File Cleared"
                                              : "";
    EXPECT_EQ(fields.Caption(Field::Status), status) << answers << boxes;
    EXPECT_EQ(fields.IsEnabled(Field::Timer1), !status.empty());
    EXPECT_EQ(LogText(), after == 'K' ? before : kHeader);
    EXPECT_EQ(fake.files.files.size(), after == 'A' ? 2u : 1u);
    EXPECT_EQ(after == 'A' ? fake.files.files.at("Log/Tolvarn_261207_1.log") : before, before);
  }
}

// The record laid out by hand (a line break or tab in the notes becomes blanks), then the dump.
// Money typed with the currency symbol reads as without it. Item 1 a day: water 36 l x 1.5 /
// 1000 x 1.2, sewerage 36 x 2 / 1000 x 0.95 x 1.2; it has no purchase cost, so it is cheaper.
TEST_F(ResultsLog, CalculateBuildsTheRecordAndTheErrorDumpShowsTheWindow) {
  Start();
  PutLog(kHeader);
  Enter("£1.5|£2|95|20||5|9|4||6|4|£300");
  fields.SetText(Field::Notes, "Kitchen:\r\nold tap v.\tspray tap");
  window.Calc_Click();
  std::string record = "07/12/26 09:05:03\r\n";
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
    record += (line == std::string("-") ? std::string(77, '-') : line) + "\r\n";
  EXPECT_EQ(State().RecordText, record + "\r\n\r\n");
  window.SetCheckBox(Field::OnTop, 1);
  State().VUnits = 2;
  State().Item1DayWater = 1.0 / 3;   // 15 significant digits
  State().Item2DayWater = 2.0f / 3;  // 7 significant digits
  EXPECT_EQ(ExpectFatal([&] { window.FatalError("Check Error", 131); }),
            std::make_pair(std::string("Check Error"), 131));
  std::string expected = kHeader +
                         "07/12/26 09:05:03\r\nTolvarn\r\nVersion 4.3\r\n\r\n"
                         "******** Check Error 131 ********\r\n\r\n"
                         "Dump of configuration file and available program data follows:\r\n"
                         "\r\n\r\n";
  const std::pair<std::string, std::string> sections[] = {
      {"Program Defaults", "£1.5000, 2, 20.0, £2.0000, 95.0, 5.0, 1, 0, "},
      {"Item 1 Use Data", "9.0, 4, 0.333333333333333, 3285, 65700"},
      {"Item 2 Use Data", "6.0, 4, 0.6666667, 2190, 43800"},
      {"Item Use Comparison", "12, 1095, 21900"},
      {"Item 1 Cost Data", ", £0.065, £0.082, £0.147, £13.40, £268.06"},
      {"Item 2 Cost Data", "£300.00, £0.043, £0.055, £0.262, £23.94, £478.70"},
      {"Item Cost Comparison", "£0.115, £10.53, £210.65"}};
  for (const auto& [title, values] : sections)
    expected += title + "\r\n" + std::string(title.size(), '-') + "\r\n" + values + "\r\n\r\n";
  EXPECT_EQ(LogText(), expected + "********** End of Error Dump **********\r\n\r\n\r\n");
  EXPECT_EQ(LogAppends(), 1);  // one entry, so another copy's entries cannot split it
  EXPECT_EQ(fake.boxes.Shown().at(0).icon, BoxIcon::Stop);
}

// The text without its blanks, "\n" for each line end.
std::string Unpadded(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] != ' ' && text.compare(i, 2, "\r\n") != 0) out += text[i] == '\r' ? '\n' : text[i];
  return out;
}

// Whatever the fields hold, each reads back whole where a marker in its place would be, a control
// character as a blank; the items' lines follow their use; a comparison label is cut to 18.
RC_GTEST_FIXTURE_PROP(ResultsLog, AnyRecordReadsBackWithItsFields, ()) {
  Start();
  WindowState& s = State();
  const bool item1 = *rc::gen::arbitrary<bool>(), item2 = *rc::gen::arbitrary<bool>();
  s.Item1Empty = !item1;
  s.Item2Empty = !item2;
  s.WaterSaveLabel = s.CostSaveLabel = "Eighteen characters+";
  const auto piece = rc::gen::elementOf(
      std::vector<std::string>{"1", "0.5", "£", "-", "x", " ", "\t", "\r\n", "\x7F", "Water"});
  std::vector<std::pair<Field, std::string>> texts;
  for (const Field field : AllFields()) {
    if (KindOf(field) != FieldKind::Input && KindOf(field) != FieldKind::Result) continue;
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
  const auto count = [&](std::string_view what) {
    int n = 0;
    for (size_t at = record.find(what); at != std::string::npos; at = record.find(what, at + 1))
      ++n;
    return n;
  };
  RC_ASSERT(count("Item1") == 3 * item1 && count("Item2") == 3 * item2);
  RC_ASSERT(count("Eighteencharacter:") == 2 * (item1 && item2));
}

// The archive's scan finds a line that, blanks aside, begins with "Water", wherever blocks end.
RC_GTEST_PROP(RecordScan, AgreesWithTheLineRuleForAnyBlockSize, ()) {
  const auto piece = rc::gen::elementOf(std::vector<std::string>{
      "Water", "Wat", "er", " ", "x", "W", "a", "Item 1 Water Use", "\r\n", "\n"});
  std::string text;
  for (int n = *rc::gen::inRange(0, 13); n > 0; --n)
    text += *piece;
  bool expected = false;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);)
    expected |= line.erase(0, line.find_first_not_of(' ')).starts_with("Water");
  const size_t block = *rc::gen::element<size_t>(1, 2, 3, 4, 5, 6, 7, 64);
  RecordScan scan;
  for (size_t at = 0; at < text.size() && !scan.Found(); at += block) {
    const bool found = scan.Feed(std::string_view(text).substr(at, block));
    RC_ASSERT(found == scan.Found());
  }
  RC_ASSERT(scan.Found() == expected);
}

}  // namespace
}  // namespace tolvarn
