// The results log: its header and entries, the archive command and the error dump.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "files/files_window.h"
#include "window_fixture.h"

namespace tolvarn {
namespace {

using testing::WindowTest;

const std::string kHeader =
    "Tolvarn Results Log\r\nVersion 4.3\r\nFile Created\r\n07/12/26 09:05:03\r\n\r\n\r\n";
const std::string kStartEntry = "Tolvarn Started\r\nVersion 4.3\r\n07/12/26 09:05:03\r\n\r\n";
const std::string kRecord =
    "07/12/26 09:06:10\r\nKitchen taps\r\n-----\r\n"
    "Water Volume Cost         :  £1.5000 per Cubic Metre\r\n\r\n\r\n\r\n";

const MessageBoxRequest kLogMissing{"Tolvarn Results Log File Error",
                                    "The results log file is either missing or\r\ncorrupted. To "
                                    "restore the results log file\r\nreinstall the program.",
                                    BoxIcon::Exclamation, BoxButtons::Ok};

// The three failures of the log's own commands differ only in their first line.
MessageBoxRequest LogFileError(const std::string& first_line) {
  return {"Tolvarn Log File Error", first_line + "\r\nThis may be a permissions problem.",
          BoxIcon::Exclamation, BoxButtons::Ok};
}

class ResultsLog : public WindowTest {
 protected:
  ResultsLog() { fake.files.AddDirectory("Log"); }
  void PutLog(const std::string& text) { fake.files.files[std::string(kLogPath)] = text; }
  bool HasLog() const { return fake.files.files.contains(std::string(kLogPath)); }
  const std::string& LogText() const { return fake.files.files.at(std::string(kLogPath)); }
  long LogAppends() const {
    return std::ranges::count(fake.files.operations, "Append " + std::string(kLogPath));
  }
};

// The header and each entry go in with one write; an append does not create a log deleted
// behind the program's back.
TEST_F(ResultsLog, CreateAndAppendWriteOneWholeEntryOrReport) {
  const std::string kNone = "(no file)";
  const auto failed = [](const char* what) {
    return LogFileError("Unable to " + std::string(what) + " the log file. Tolvarn.log");
  };
  const struct {
    bool create;
    std::string before;
    FileStep fail;
    std::string after;
    std::vector<MessageBoxRequest> boxes;
  } rows[] = {
      {true, kNone, FileStep::None, kHeader, {}},
      {true, kHeader + kStartEntry, FileStep::None, kHeader + kStartEntry, {}},
      {true, kNone, FileStep::Open, kNone, {failed("create")}},
      {false, kHeader, FileStep::None, kHeader + kStartEntry, {}},
      {false, kNone, FileStep::None, kNone, {kLogMissing}},
      {false, kHeader, FileStep::Write, kHeader, {failed("write to")}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE("row " + std::to_string(&row - rows));
    fake.files.files.clear();
    fake.files.operations.clear();
    if (row.before != kNone) PutLog(row.before);
    fake.files.FailAt(row.fail);
    State().RecordText = "Tolvarn Started\r\nVersion 4.3\r\n07/12/26 09:05:03\r\n";
    row.create ? window.CreateResultsLog() : window.FilesWindow::AppendToLog();
    ExpectBoxes(row.boxes);
    EXPECT_EQ(HasLog() ? LogText() : kNone, row.after);
    EXPECT_EQ(LogAppends(), row.create || row.before == kNone ? 0 : 1);
  }
}

// Y, N, C answer Yes, No and Cancel; the boxes are A (archive?), S (sure?), D (no data) and
// F (archive failed). A failed step leaves the log as it was; the status tells what happened.
TEST_F(ResultsLog, ArchiveFollowsTheAnswersAndKeepsTheLogWhenAStepFails) {
  const struct {
    bool records;
    const char *answers, *boxes;
    FileStep fail;
    int skip;
    bool copied, renewed;
  } rows[] = {
      {true, "Y", "A", FileStep::None, 0, true, true},
      {false, "Y", "AD", FileStep::None, 0, false, false},
      {true, "NY", "AS", FileStep::None, 0, false, true},
      {true, "NN", "AS", FileStep::None, 0, false, false},
      {false, "N", "A", FileStep::None, 0, false, true},  // without a second question
      {true, "C", "A", FileStep::None, 0, false, false},
      {true, "Y", "AF", FileStep::Write, 0, false, false},  // the copy
      {true, "Y", "AF", FileStep::Write, 1, false, false},  // the new log: no archive either
      {false, "N", "AF", FileStep::Flush, 0, false, false},
      {true, "", "F", FileStep::Read, 0, false, false},  // reported before any question
  };
  const std::map<char, MessageBoxRequest> boxes = {
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
  for (const auto& row : rows) {
    SCOPED_TRACE("row " + std::to_string(&row - rows));
    fake.files.files.clear();
    const std::string before = kHeader + kStartEntry + (row.records ? kRecord : "") + kStartEntry;
    PutLog(before);
    fields.SetCaption(Field::Status, "Water Data Saved");
    fields.SetEnabled(Field::Timer1, true);
    for (const char a : std::string(row.answers))
      fake.boxes.Script({a == 'Y' ? BoxAnswer::Yes : a == 'N' ? BoxAnswer::No : BoxAnswer::Cancel});
    fake.files.FailAt(row.fail, row.skip);
    window.Archive_Click();
    std::vector<MessageBoxRequest> expected;
    for (const char box : std::string(row.boxes))
      expected.push_back(boxes.at(box));
    ExpectBoxes(expected);
    const std::string status = row.copied    ? "Results Log File Archived"
                               : row.renewed ? "Results Log File Cleared"
                                             : "";
    EXPECT_EQ(fields.Caption(Field::Status), status);
    EXPECT_EQ(fields.IsEnabled(Field::Timer1), !status.empty());
    EXPECT_EQ(LogText(), row.renewed ? kHeader : before);
    EXPECT_EQ(fake.files.files.size(), row.copied ? 2u : 1u);
    EXPECT_EQ(row.copied ? fake.files.files.at("Log/Tolvarn_261207_1.log") : before, before);
  }
}

TEST_F(ResultsLog, ErrorDumpShowsTheWindowAsItIsThenTheProgramEnds) {
  Start();
  PutLog(kHeader);
  Enter("1.5|2|95|20||5|9|4||6|4|300");
  window.Calc_Click();
  window.SetCheckBox(Field::OnTop, 1);
  State().VUnits = 2;
  State().Item1DayWater = 1.0 / 3;   // 15 significant digits
  State().Item2DayWater = 2.0f / 3;  // 7 significant digits
  EXPECT_EQ(ExpectFatal([&] { window.FatalError("Check Error", 131); }),
            std::make_pair(std::string("Check Error"), 131));
  // Before any reading the configuration section is one empty line.
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

}  // namespace
}  // namespace tolvarn
