// The results log: its header and entries, the archive command with every answer, the viewer,
// the missing-file check, and the error dump that a fatal error leaves in the log.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "files/files_window.h"
#include "window_fixture.h"

namespace tolvarn {
namespace {

using testing::WindowTest;

const std::string kPound = "\u00A3";
const std::string kHeader =
    "Tolvarn Results Log\r\nVersion 4.3\r\nFile Created\r\n07/12/26 09:05:03\r\n\r\n\r\n";
const std::string kStartEntry = "Tolvarn Started\r\nVersion 4.3\r\n07/12/26 09:05:03\r\n\r\n";
const std::string kRecord =
    "07/12/26 09:06:10\r\nKitchen taps\r\n-----\r\n"
    "Water Volume Cost         :  " +
    kPound + "1.5000 per Cubic Metre\r\n\r\n\r\n\r\n";

const MessageBoxRequest kLogMissing{"Tolvarn Results Log File Error",
                                    "The results log file is either missing or\r\ncorrupted. To "
                                    "restore the results log file\r\nreinstall the program.",
                                    BoxIcon::Exclamation, BoxButtons::Ok};
const MessageBoxRequest kAskArchive{
    "Archive Tolvarn Results Log File",
    "Do you want to archive the log file?\r\n"
    "To Archive the results log file and create a new one click Yes\r\n"
    "To Clear the results log file without archiving it click No\r\nClick Cancel to return",
    BoxIcon::Exclamation, BoxButtons::YesNoCancel};
const MessageBoxRequest kAskSure{"Tolvarn Create New Log File",
                                 "Are you sure you want to create a new results log file?",
                                 BoxIcon::None, BoxButtons::YesNo};
const MessageBoxRequest kNoData{"Tolvarn Results Log File Error",
                                "There is no data to archive!\r\nResults log file not archived.",
                                BoxIcon::Exclamation, BoxButtons::Ok};
const MessageBoxRequest kArchiveFailed{
    "Tolvarn Log File Error",
    "Unable to archive the results log file Tolvarn.log.\r\nThis may be a permissions problem.",
    BoxIcon::Exclamation, BoxButtons::Ok};
const MessageBoxRequest kWriteFailed{
    "Tolvarn Log File Error",
    "Unable to write to the log file. Tolvarn.log\r\nThis may be a permissions problem.",
    BoxIcon::Exclamation, BoxButtons::Ok};

std::string Describe(const MessageBoxRequest& box) {
  return box.title + " | " + box.text + " | icon " + std::to_string(static_cast<int>(box.icon)) +
         " | buttons " + std::to_string(static_cast<int>(box.buttons));
}

std::vector<std::string> Describe(const std::vector<MessageBoxRequest>& boxes) {
  std::vector<std::string> lines;
  for (const MessageBoxRequest& box : boxes)
    lines.push_back(Describe(box));
  return lines;
}

class ResultsLog : public WindowTest {
 protected:
  ResultsLog() { fake.files.AddDirectory("Log"); }
  void PutLog(const std::string& text) { fake.files.files[std::string(kLogPath)] = text; }
  bool HasFile(const std::string& path) const { return fake.files.files.contains(path); }
  const std::string& LogText() const { return fake.files.files.at(std::string(kLogPath)); }
  void ExpectBoxes(const std::vector<MessageBoxRequest>& expected) {
    EXPECT_EQ(Describe(fake.boxes.Shown()), Describe(expected));
    fake.boxes.Clear();
  }
  int LogAppends() const {
    int count = 0;
    for (const std::string& operation : fake.files.operations)
      count += operation == "Append " + std::string(kLogPath);
    return count;
  }
};

TEST_F(ResultsLog, FreshLogGetsItsHeaderThenTheStartEntry) {
  window.CreateResultsLog();
  EXPECT_EQ(LogText(), kHeader);
  State().RecordText = "Tolvarn Started\r\nVersion 4.3\r\n07/12/26 09:05:03\r\n";
  window.FilesWindow::AppendToLog();
  EXPECT_EQ(LogText(), kHeader + kStartEntry);
  window.CreateResultsLog();  // an existing log is left as it is
  EXPECT_EQ(LogText(), kHeader + kStartEntry);
  ExpectBoxes({});

  fake.files.files.clear();
  fake.files.FailAt(FileStep::Open);
  window.CreateResultsLog();
  ExpectBoxes({{"Tolvarn Log File Error",
                "Unable to create the log file. Tolvarn.log\r\nThis may be a permissions problem.",
                BoxIcon::Exclamation, BoxButtons::Ok}});
}

// The record and one more line end in one write; a log deleted behind the program's back is
// not created; a failed write is reported.
TEST_F(ResultsLog, AppendAddsTheRecordInOneWriteOrReports) {
  const std::tuple<bool, FileStep, std::vector<MessageBoxRequest>> rows[] = {
      {true, FileStep::None, {}},
      {false, FileStep::None, {kLogMissing}},
      {true, FileStep::Open, {kWriteFailed}},
      {true, FileStep::Write, {kWriteFailed}},
  };
  for (const auto& [present, fail, boxes] : rows) {
    SCOPED_TRACE(static_cast<int>(fail));
    fake.files.files.clear();
    fake.files.operations.clear();
    if (present) PutLog(kHeader);
    fake.files.FailAt(fail);
    State().RecordText = "Record\r\n";
    window.FilesWindow::AppendToLog();
    ExpectBoxes(boxes);
    EXPECT_EQ(HasFile(std::string(kLogPath)), present);
    if (present) {
      EXPECT_EQ(LogText(), kHeader + (fail == FileStep::None ? "Record\r\n\r\n" : ""));
    }
    EXPECT_EQ(LogAppends(), present ? 1 : 0);
  }
}

TEST_F(ResultsLog, MissingFileCheckNamesTheFileInItsMessage) {
  PutLog(kHeader);
  EXPECT_TRUE(window.Check_File("results log", "Log/", "Tolvarn.log"));
  ExpectBoxes({});
  EXPECT_FALSE(window.Check_File("results log", "Log/", "Other.log"));
  ExpectBoxes({kLogMissing});
  EXPECT_FALSE(window.Check_File("help index", "Help/", "index.htm"));
  ExpectBoxes({{"Tolvarn Help Index File Error",
                "The help index file is either missing or\r\ncorrupted. To restore the help index "
                "file\r\nreinstall the program.",
                BoxIcon::Exclamation, BoxButtons::Ok}});
}

// The answers decide what happens to the log: Y, N, C for Yes, No and Cancel; the boxes shown
// are A (archive?), S (sure?) and D (no data).
TEST_F(ResultsLog, AnswersDecideWhatHappensToTheLog) {
  enum After { kUnchanged, kArchived, kCleared };
  struct Row {
    bool records;
    const char* answers;
    const char* boxes;
    const char* status;
    After after;
  };
  const Row rows[] = {
      {true, "Y", "A", "Results Log File Archived", kArchived},
      {false, "Y", "AD", "", kUnchanged},
      {true, "NY", "AS", "Results Log File Cleared", kCleared},
      {true, "NN", "AS", "", kUnchanged},
      {false, "N", "A", "Results Log File Cleared", kCleared},  // without a second question
      {true, "C", "A", "", kUnchanged},
      {false, "C", "A", "", kUnchanged},
  };
  const std::map<char, MessageBoxRequest> boxes = {
      {'A', kAskArchive}, {'S', kAskSure}, {'D', kNoData}};
  const std::map<char, BoxAnswer> answers = {
      {'Y', BoxAnswer::Yes}, {'N', BoxAnswer::No}, {'C', BoxAnswer::Cancel}};
  fake.clock.now = {2026, 12, 7, 14, 30, 0};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.answers) + (row.records ? " with records" : " without"));
    fake.files.files.clear();
    const std::string before = kHeader + kStartEntry + (row.records ? kRecord : "") + kStartEntry;
    PutLog(before);
    fields.SetCaption(Field::Status, "Water Data Saved");
    fields.SetEnabled(Field::Timer1, true);
    for (const char answer : std::string(row.answers))
      fake.boxes.Script({answers.at(answer)});
    window.Archive_Click();
    std::vector<MessageBoxRequest> expected;
    for (const char box : std::string(row.boxes))
      expected.push_back(boxes.at(box));
    ExpectBoxes(expected);
    EXPECT_EQ(fields.Caption(Field::Status), row.status);
    EXPECT_EQ(fields.IsEnabled(Field::Timer1), std::string(row.status) != "");
    EXPECT_EQ(LogText(), row.after == kUnchanged ? before
                                                 : "Tolvarn Results Log\r\nVersion 4.3\r\nFile "
                                                   "Created\r\n07/12/26 14:30:00\r\n\r\n\r\n");
    EXPECT_EQ(fake.files.files.size(), row.after == kArchived ? 2u : 1u);
    if (row.after == kArchived) {
      EXPECT_EQ(fake.files.files.at("Log/Tolvarn_261207_1.log"), before);
    }
  }
}

TEST_F(ResultsLog, TwoArchivesOnOneDayAreNumbered) {
  fake.clock.now = {2027, 1, 2, 8, 0, 0};
  PutLog(kHeader + kRecord);
  fake.boxes.Script({BoxAnswer::Yes, BoxAnswer::Yes});
  window.Archive_Click();
  // An indented record line counts.
  const std::string second = LogText() + "   Water Volume Cost :  " + kPound + "1.0000\r\n";
  PutLog(second);
  window.Archive_Click();
  EXPECT_EQ(fake.files.files.at("Log/Tolvarn_270102_1.log"), kHeader + kRecord);
  EXPECT_EQ(fake.files.files.at("Log/Tolvarn_270102_2.log"), second);
  ExpectBoxes({kAskArchive, kAskArchive});
}

TEST_F(ResultsLog, FailedArchiveKeepsTheLog) {
  struct Row {
    const char* meaning;
    FileStep step;
    int skip;
    BoxAnswer answer;
    bool archived;
    const char* status;
  };
  const Row rows[] = {
      {"the copy cannot be written", FileStep::Write, 0, BoxAnswer::Yes, false, ""},
      {"the copy cannot be renamed", FileStep::Rename, 0, BoxAnswer::Yes, false, ""},
      {"the new log cannot be written", FileStep::Write, 1, BoxAnswer::Yes, true,
       "Results Log File Archived"},
      {"the new log cannot replace the old", FileStep::Rename, 1, BoxAnswer::Yes, true,
       "Results Log File Archived"},
      // The status line reports only what has happened.
      {"clearing cannot write the new log", FileStep::Flush, 0, BoxAnswer::No, false, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.meaning);
    fake.files.files.clear();
    PutLog(kHeader);
    if (row.answer == BoxAnswer::Yes) PutLog(kHeader + kRecord);
    const std::string before = LogText();
    fake.files.FailAt(row.step, row.skip);
    fake.boxes.Script({row.answer});
    window.Archive_Click();
    ExpectBoxes({kAskArchive, kArchiveFailed});
    EXPECT_EQ(LogText(), before);
    EXPECT_EQ(HasFile("Log/Tolvarn_261207_1.log"), row.archived);
    EXPECT_EQ(fields.Caption(Field::Status), row.status);
  }

  // A log that cannot be read is reported before any question.
  fake.files.FailAt(FileStep::Read);
  window.Archive_Click();
  ExpectBoxes({kArchiveFailed});
}

TEST_F(ResultsLog, EveryLogCommandEndsTheProgramWithoutTheLogDirectory) {
  const std::function<void()> commands[] = {
      [&] { window.CreateResultsLog(); }, [&] { window.FilesWindow::AppendToLog(); },
      [&] { window.Archive_Click(); }, [&] { window.ViewL_Click(); }};
  fake.files.directories.clear();
  for (const auto& command : commands) {
    EXPECT_THROW(command(), ProgramEnded);
    ASSERT_EQ(fake.boxes.Shown().size(), 1u);
    EXPECT_EQ(fake.boxes.Shown()[0].title, "Tolvarn Log Directory Error");
    fake.boxes.Clear();
  }
  EXPECT_TRUE(fake.files.files.empty());
  EXPECT_TRUE(fake.launcher.opened.empty());
}

class ErrorDump : public ResultsLog {};

TEST_F(ErrorDump, DumpShowsTheWindowAsItIsThenTheProgramEnds) {
  Start();
  PutLog(kHeader);
  // The texts as the window shows them, symbols and all.
  Enter("£1.5000|£2.0000|95.0|20.0|2.5|5.0|9.0|4||6.0|4|300.00");
  Enter(
      "0.054|0.068|0.147|13.40|268.06|65700|0.036|0.045|0.262|23.94|478.70|43800|0.115|10.53|"
      "210.65|21900",
      kResults);
  window.SetCheckBox(Field::OnTop, 1);
  WindowState& state = State();
  state.VUnits = 2;
  state.Item1DayWater = 1.0 / 3;   // 15 significant digits
  state.Item2DayWater = 2.0f / 3;  // 7 significant digits
  state.Item1QtrWater = 3285;
  state.Item2QtrWater = 2190.5f;
  state.DayWaterDiff = -0.1f;
  state.QtrWaterDiff = 1094.5f;

  const auto [operation, location] = ExpectFatal([&] { window.FatalError("Check Error", 131); });
  EXPECT_EQ(operation, "Check Error");
  EXPECT_EQ(location, 131);
  // Before any reading the configuration section is one empty line.
  EXPECT_EQ(LogText(), kHeader +
                           "07/12/26 09:05:03\r\nTolvarn\r\nVersion 4.3\r\n\r\n"
                           "******** Check Error 131 ********\r\n\r\n"
                           "Dump of configuration file and available program data follows:\r\n"
                           "\r\n\r\n"
                           "Program Defaults\r\n----------------\r\n" +
                           kPound + "1.5000, 2, 20.0, " + kPound +
                           "2.0000, 95.0, 5.0, 1, 0, 2.5\r\n\r\n"
                           "Item 1 Use Data\r\n---------------\r\n"
                           "9.0, 4, 0.333333333333333, 3285, 65700\r\n\r\n"
                           "Item 2 Use Data\r\n---------------\r\n"
                           "6.0, 4, 0.6666667, 2190.5, 43800\r\n\r\n"
                           "Item Use Comparison\r\n-------------------\r\n"
                           "-0.1, 1094.5, 21900\r\n\r\n"
                           "Item 1 Cost Data\r\n----------------\r\n"
                           ", 0.054, 0.068, 0.147, 13.40, 268.06\r\n\r\n"
                           "Item 2 Cost Data\r\n----------------\r\n"
                           "300.00, 0.036, 0.045, 0.262, 23.94, 478.70\r\n\r\n"
                           "Item Cost Comparison\r\n--------------------\r\n"
                           "0.115, 10.53, 210.65\r\n\r\n"
                           "********** End of Error Dump **********\r\n\r\n\r\n");
  EXPECT_EQ(LogAppends(), 1);  // one entry, so another copy's entries cannot split it
  ExpectBoxes({{"Tolvarn Fatal Error",
                "Error Number 131\r\nA Fatal Check Error Has Ocurred.\r\n"
                "The Program Will Now Terminate.",
                BoxIcon::Stop, BoxButtons::Ok}});
}

TEST_F(ErrorDump, NoDumpWithoutAWritableLogButTheBoxAndTheEnd) {
  struct Row {
    const char* meaning;
    bool directory, log;
    FileStep fail;
  };
  const Row rows[] = {
      {"no log file: none is created", true, false, FileStep::None},
      {"no Log directory", false, false, FileStep::None},
      {"the log cannot be opened", true, true, FileStep::Open},
      {"writing fails", true, true, FileStep::Write},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.meaning);
    fake.files.files.clear();
    if (!row.directory) fake.files.directories.clear();
    if (row.log) PutLog(kHeader);
    fake.files.FailAt(row.fail);
    EXPECT_EQ(ExpectFatal([&] { window.FatalError("Loading Error", 13); }).second, 13);
    ExpectBoxes({{"Tolvarn Fatal Error",
                  "Error Number 13\r\nA Fatal Loading Error Has Ocurred.\r\n"
                  "The Program Will Now Terminate.",
                  BoxIcon::Stop, BoxButtons::Ok}});
    EXPECT_EQ(HasFile(std::string(kLogPath)), row.log);
    if (row.log) {
      EXPECT_EQ(LogText(), kHeader);
    }
  }
}

}  // namespace
}  // namespace tolvarn
