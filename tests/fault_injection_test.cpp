// Fault injection through the file-system interface: every file operation of each command that
// uses the configuration file or the results log is made to fail, at each of its occurrences in
// turn, on a fresh window and file system. Each failure must give the program's own message or
// its fatal path, let nothing but the program's ending escape, and never cost a byte of a file
// that was there before.
//
// A run counts as a case when the injected failure fired. When it no longer fires, the run must
// be exactly the run without injection, and the tables say how often each step is reached.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "core/memory_field_store.h"
#include "files/files_window.h"
#include "platform/fake_platform.h"
#include "shell/tolvarn_main.h"

namespace tolvarn {
namespace {

using Files = std::map<std::string, std::string>;

const std::string kConfigFile(kConfigPath);
const std::string kLogFile(kLogPath);

const std::string kConfig =
    "# Tolvarn Version 4.3\r\n# Configuration File\r\n# 01-Dec-26 10:00:00\r\n\r\n[Run]\r\n"
    "AnInf=33.5\r\nLogLevel=1\r\nRunOnTop=1\r\nPayPeriod=10\r\nSVCost=150\r\nSVAllow=95\r\n"
    "VRate=1\r\nVUnits=1\r\nWVCost=120\r\n";
// Entries as the program writes them at the fake clock's time.
const std::string kNewLog =
    "Tolvarn Results Log\r\nVersion 4.3\r\nFile Created\r\n07/12/26 09:05:03\r\n\r\n\r\n";
const std::string kStartEntry = "Tolvarn Started\r\nVersion 4.3\r\n07/12/26 09:05:03\r\n\r\n";
const std::string kDumpStart = "07/12/26 09:05:03\r\nTolvarn\r\nVersion 4.3\r\n\r\n********";
const std::string kDumpEnd = "********** End of Error Dump **********\r\n\r\n\r\n";
// A log from earlier days, holding a record.
const std::string kOldLog =
    "Tolvarn Results Log\r\nVersion 4.3\r\nFile Created\r\n01/12/26 10:00:00\r\n\r\n\r\n" +
    kStartEntry + "01/12/26 10:01:00\r\nOld machine\r\n-----\r\n" +
    "Water Volume Cost         :  \u00A31.2000 per Cubic Metre\r\n\r\n\r\n\r\n";

// A box that reports a failure (questions are not listed). `dump`: the log gains one dump.
struct Box {
  std::string title, text;
  bool ends = false;
  bool dump = false;
};
using Outcome = std::vector<Box>;

Box Fatal(const std::string& operation, int location, bool dump) {
  return {"Tolvarn Fatal Error",
          "Error Number " + std::to_string(location) + "\r\nA Fatal " + operation +
              " Has Ocurred.\r\nThe Program Will Now Terminate.",
          true, dump};
}
const Box kLogWrite{"Tolvarn Log File Error",
                    "Unable to write to the log file. Tolvarn.log\r\n"
                    "This may be a permissions problem."};
const Box kLogCreate{"Tolvarn Log File Error",
                     "Unable to create the log file. Tolvarn.log\r\n"
                     "This may be a permissions problem."};
const Box kLogMissing{"Tolvarn Results Log File Error",
                      "The results log file is either missing or\r\ncorrupted. To restore the "
                      "results log file\r\nreinstall the program."};
const Box kArchiveFailed{"Tolvarn Log File Error",
                         "Unable to archive the results log file Tolvarn.log.\r\n"
                         "This may be a permissions problem."};
const Box kConfigWrite{"Tolvarn Configuration File Error",
                       "Unable to write to the configuration file. Tolvarn.ini\r\n"
                       "This may be a permissions problem.\r\nThe program will now terminate.",
                       true};

// A fresh window on a fresh file system that holds the three directories.
struct Run {
  Run() {
    for (const char* dir : {"Data", "Help", "Log"})
      fake.files.AddDirectory(dir);
  }
  MemoryFieldStore fields;
  FakePlatform fake;
  TolvarnMain window{fields, fake.platform()};
};

using Faults = std::map<FileStep, std::vector<Outcome>>;  // one outcome per occurrence, in order

// The same outcome at every occurrence of each step, with how often the step is reached.
Faults Each(const Outcome& outcome, std::initializer_list<std::pair<FileStep, size_t>> counts) {
  Faults faults;
  for (const auto& [step, count] : counts)
    faults[step].assign(count, outcome);
  return faults;
}

struct Scenario {
  const char* name;
  void (*setup)(Run&);  // before the failure is armed
  std::function<void(TolvarnMain&)> command;
  Faults faults;
  std::vector<BoxAnswer> answers = {};
  Files files = {{kConfigFile, kConfig}, {kLogFile, kOldLog}};
  Outcome baseline = {};  // without injection
};

void PrintTo(const Scenario& scenario, std::ostream* os) {
  *os << scenario.name;
}

struct Result {
  Files before, after;
  std::vector<std::string> boxes;  // every box shown, questions included
  Outcome reports;                 // the boxes with an OK button only
  std::optional<int> ended;
  std::string escaped;      // anything but the program's ending that left the command
  std::string record_text;  // the record the command may have appended
  std::string status;
  bool fired = false;
  auto Seen() const { return std::tie(boxes, ended, escaped, after, status); }
};

// Whether the armed failure is still waiting: it would fire within `skip + 1` further
// operations that reach its step.
bool StillArmed(FakeFileSystem& files, FileStep step, int skip) {
  files.AddDirectory("Probe");
  files.files["Probe/p"] = "x";
  for (int i = 0; i <= skip; ++i) {
    if (step == FileStep::Read) {
      const auto reader = files.OpenForReading("Probe/p");
      std::string line;
      if (reader && !reader->ReadLine(line) && reader->Failed()) return true;
    } else if (files.Replace("Probe/p", "x").failed == step) {
      return true;
    }
  }
  return false;
}

Result Execute(const Scenario& scenario, FileStep step, int skip) {
  Run run;
  run.fake.files.files = scenario.files;
  if (scenario.setup) scenario.setup(run);
  for (const BoxAnswer answer : scenario.answers)
    run.fake.boxes.Script({answer});
  run.fake.boxes.Clear();
  Result result;
  result.before = run.fake.files.files;
  run.fake.files.FailAt(step, skip);
  try {
    scenario.command(run.window);
  } catch (const ProgramEnded& ended) {
    result.ended = ended.status;
  } catch (const FakeMessageBoxes::UnexpectedBox& box) {
    result.escaped = "an unanswered question: " + box.request.title;
  } catch (const std::exception& error) {
    result.escaped = error.what();
  } catch (...) {
    result.escaped = "an unknown exception";
  }
  result.after = run.fake.files.files;
  for (const MessageBoxRequest& box : run.fake.boxes.Shown()) {
    result.boxes.push_back(box.title + " | " + box.text);
    if (box.buttons == BoxButtons::Ok) result.reports.push_back({box.title, box.text});
  }
  result.record_text = run.window.State().RecordText;
  result.status = run.fields.Caption(Field::Status);
  result.fired = step != FileStep::None && !StillArmed(run.fake.files, step, skip);
  return result;
}

// Whether the text is nothing but whole entries: start entries, the record, error dumps.
bool WholeEntries(std::string_view text, const std::string& record_text) {
  const std::string record = record_text + "\r\n";
  while (!text.empty()) {
    size_t length = 0;
    if (text.starts_with(kStartEntry)) {
      length = kStartEntry.size();
    } else if (!record_text.empty() && text.starts_with(record)) {
      length = record.size();
    } else if (text.starts_with(kDumpStart) && text.find(kDumpEnd) != std::string_view::npos) {
      length = text.find(kDumpEnd) + kDumpEnd.size();
    }
    if (length == 0) return false;
    text.remove_prefix(length);
  }
  return true;
}

// No file that was there lost a byte, and nothing partial stands under a final name. `clean`
// is the file system after the run without injection.
void ExpectNothingLost(const Result& result, const Files& clean) {
  const auto in_clean = [&clean](const std::string& path, const std::string& text) {
    return clean.contains(path) && clean.at(path) == text;
  };
  const auto old_log = result.before.find(kLogFile);
  // A log may start afresh only where the command starts it afresh.
  const bool fresh_log_allowed = old_log == result.before.end() || in_clean(kLogFile, kNewLog);
  for (const auto& [path, text] : result.after) {
    SCOPED_TRACE(path);
    const auto old = result.before.find(path);
    if (path == kLogFile) {
      std::string_view added;
      if (old != result.before.end() && text.starts_with(old->second)) {
        added = std::string_view(text).substr(old->second.size());
      } else {
        EXPECT_TRUE(fresh_log_allowed && text.starts_with(kNewLog)) << "the log lost bytes";
        added = std::string_view(text).substr(std::min(text.size(), kNewLog.size()));
      }
      EXPECT_TRUE(WholeEntries(added, result.record_text)) << "a partial entry:\n" << added;
    } else if (old != result.before.end()) {
      EXPECT_TRUE(text == old->second || in_clean(path, text)) << "neither old nor new:\n" << text;
    } else if (path.starts_with("Log/Tolvarn_")) {
      ASSERT_NE(old_log, result.before.end());
      EXPECT_EQ(text, old_log->second) << "an archive that is not the whole log";
    } else {
      EXPECT_TRUE(in_clean(path, text)) << "left behind";
    }
  }
  for (const auto& [path, text] : result.before)
    EXPECT_TRUE(result.after.contains(path)) << path << " is gone";
}

// The failure's message or fatal path; answers whether the log is to gain a dump.
bool ExpectReports(const Result& result, const Outcome& expected) {
  std::vector<std::string> shown, wanted;
  bool ends = false, dump = false;
  for (const Box& box : result.reports)
    shown.push_back(box.title + " | " + box.text);
  for (const Box& box : expected) {
    wanted.push_back(box.title + " | " + box.text);
    ends = ends || box.ends;
    dump = dump || box.dump;
  }
  EXPECT_EQ(shown, wanted);
  EXPECT_EQ(result.ended, ends ? std::optional<int>(kFatalExitStatus) : std::nullopt);
  EXPECT_EQ(result.escaped, "");
  return dump;
}

// Every file is as it was before the command, but for one whole dump where one is expected.
void ExpectUnchanged(const Result& result, bool dump) {
  for (const auto& [path, text] : result.before) {
    if (!result.after.contains(path)) continue;  // reported as lost
    const std::string& now = result.after.at(path);
    if (path == kLogFile && dump) {
      const std::string added = now.starts_with(text) ? now.substr(text.size()) : "";
      EXPECT_TRUE(added.starts_with(kDumpStart) && added.ends_with(kDumpEnd) &&
                  added.find(kDumpEnd) + kDumpEnd.size() == added.size())
          << "one whole dump expected:\n"
          << now;
    } else {
      EXPECT_EQ(now, text) << path << " changed although the command failed";
    }
  }
}

void ReadConfiguration(Run& run) {
  run.window.Start(false, true);
}
void EnterItem(Run& run, bool auto_save) {
  ReadConfiguration(run);
  run.window.SetCheckBox(Field::AutoSave, auto_save ? 1 : 0);
  run.fields.SetText(Field::Item1Use, "45");
  run.fields.SetText(Field::Item1UseD, "1");
  run.fields.SetText(Field::Item1Cost, "450");
}
void CalculatedForSave(Run& run) {
  EnterItem(run, false);
  run.window.Calc_Click();
}
void AutoSaveTicked(Run& run) {
  EnterItem(run, true);
}
void TariffChanged(Run& run) {
  ReadConfiguration(run);
  run.fields.SetText(Field::WVCost, "1.40");
}

using enum FileStep;
using enum BoxAnswer;
const Box kConfigRead181 = Fatal("Config Read Error", 181, true);
const Box kConfigRead182 = Fatal("Config Read Error", 182, true);
const Outcome kCreateFailed = {kLogCreate, kLogMissing};  // then missing for the start entry

const Scenario kScenarios[] = {
    // The configuration is read, then the log made sure of and the start entry appended.
    {"StartWithLog",
     nullptr,
     &TolvarnMain::Form_Load,
     {{Open, {{kConfigRead181}, {kLogWrite}}}, {Read, {{kConfigRead182}}}, {Write, {{kLogWrite}}}}},
    {"StartWithoutLog",
     nullptr,
     &TolvarnMain::Form_Load,
     {{Open, {{Fatal("Config Read Error", 181, false)}, kCreateFailed, {kLogWrite}}},
      {Read, {{Fatal("Config Read Error", 182, false)}}},
      {Write, {kCreateFailed, {kLogWrite}}},
      {Flush, {kCreateFailed}},
      {Rename, {kCreateFailed}}},
     {},
     {{kConfigFile, kConfig}}},
    {"ResetData",
     ReadConfiguration,
     &TolvarnMain::Reset_Defaults_Click,
     {{Open, {{kConfigRead181}}}, {Read, {{kConfigRead182}}}}},
    {"SaveData", TariffChanged, &TolvarnMain::Save_Defaults_Click,
     Each({kConfigWrite}, {{Open, 1}, {Write, 1}, {Flush, 1}, {Rename, 1}})},
    {"Save", CalculatedForSave, &TolvarnMain::Save_Click,
     Each({kLogWrite}, {{Open, 1}, {Write, 1}})},
    {"AutoSave", AutoSaveTicked, &TolvarnMain::Calc_Click,
     Each({kLogWrite}, {{Open, 1}, {Write, 1}})},
    // The log is scanned, copied to the archive name, then replaced by a new one.
    {"ArchiveYesWithRecords",
     nullptr,
     &TolvarnMain::Archive_Click,
     Each({kArchiveFailed}, {{Open, 3}, {Read, 2}, {Write, 2}, {Flush, 2}, {Rename, 2}}),
     {Yes}},
    {"ArchiveNoThenYesWithRecords",
     nullptr,
     &TolvarnMain::Archive_Click,
     Each({kArchiveFailed}, {{Open, 2}, {Read, 1}, {Write, 1}, {Flush, 1}, {Rename, 1}}),
     {No, Yes}},
    {"ArchiveNoWithoutRecords",
     nullptr,
     &TolvarnMain::Archive_Click,
     Each({kArchiveFailed}, {{Open, 2}, {Read, 1}, {Write, 1}, {Flush, 1}, {Rename, 1}}),
     {No},
     {{kConfigFile, kConfig}, {kLogFile, kNewLog + kStartEntry}}},
    // A log that cannot be written means no dump, but the same box and the same end.
    {"FatalErrorDump",
     ReadConfiguration,
     [](TolvarnMain& window) { window.FatalError("Loading Error", 13); },
     Each({Fatal("Loading Error", 13, false)}, {{Open, 1}, {Write, 1}}),
     {},
     {{kConfigFile, kConfig}, {kLogFile, kOldLog}},
     {Fatal("Loading Error", 13, true)}},
};

class FileCommands : public ::testing::TestWithParam<Scenario> {
 protected:
  static void TearDownTestSuite() {
    std::printf("fault-injection cases run: %d (runs in all: %d)\n", cases_, runs_);
  }
  static inline int cases_ = 0;
  static inline int runs_ = 0;
};

TEST_P(FileCommands, EveryStepFailsAtEachOccurrence) {
  const Scenario& scenario = GetParam();
  const Result clean = Execute(scenario, None, 0);
  if (ExpectReports(clean, scenario.baseline)) ExpectUnchanged(clean, true);
  ExpectNothingLost(clean, clean.after);

  const std::pair<FileStep, const char*> steps[] = {
      {Open, "open"}, {Read, "read"}, {Write, "write"}, {Flush, "flush"}, {Rename, "rename"}};
  for (const auto& [step, step_name] : steps) {
    const auto row = scenario.faults.find(step);
    const std::vector<Outcome> expected =
        row == scenario.faults.end() ? std::vector<Outcome>{} : row->second;
    for (size_t skip = 0; skip < 16; ++skip) {
      SCOPED_TRACE(std::string(step_name) + " fails at occurrence " + std::to_string(skip + 1));
      const Result result = Execute(scenario, step, static_cast<int>(skip));
      ++runs_;
      ExpectNothingLost(result, clean.after);
      if (!result.fired) {
        EXPECT_GE(skip, expected.size()) << "the step is reached fewer times than expected";
        EXPECT_EQ(result.Seen(), clean.Seen()) << "a failure that never fired changed the run";
        break;
      }
      ++cases_;
      if (skip >= expected.size()) {
        ADD_FAILURE() << "the step is reached more times than expected";
        continue;
      }
      ExpectUnchanged(result, ExpectReports(result, expected[skip]));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(FaultInjection, FileCommands, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tolvarn
