// tolvarn-calc as a user runs it: a separate process, its output, its exit status.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "temp_dir.h"

namespace {

using tolvarn::testing::ReadFile;
namespace fs = std::filesystem;
using Args = std::vector<std::string>;

struct CalcRun {
  int status = -1;
  std::string out;
  std::string err;
  nlohmann::json Json() const { return nlohmann::json::parse(out); }
};

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The words of `line`, split at blanks; '' is an empty word.
Args Words(const std::string& line) {
  Args words;
  std::istringstream in(line);
  for (std::string word; in >> word;)
    words.push_back(word == "''" ? "" : word);
  return words;
}

// `n` / 10^places as text ("0.05"), as a user types it.
std::string Decimal(int n, int places) {
  const int scale = places == 1 ? 10 : 100;
  std::string fraction = std::to_string(n % scale);
  fraction.insert(0, static_cast<size_t>(places) - fraction.size(), '0');
  return std::to_string(n / scale) + "." + fraction;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t found = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++found;
  return found;
}

// Runs `script` with bash, its stdout appended to `out`; its exit status.
int Bash(const std::string& script, const fs::path& out) {
  return std::system(("bash -c " + Quote(script) + " >>" + out.string() + " 2>/dev/null").c_str());
}

// Runs `program` under `prefix` (environment settings and the like), its stdout to `out_to` (a
// redirection) unless kept. A bare "Field=text" argument sets a field, as --set does.
CalcRun RunProgram(const std::string& program, const Args& args, const std::string& prefix,
                   const std::string& out_to = "") {
  const fs::path out = fs::temp_directory_path() / ("tolvarn_cli_" + std::to_string(::getpid()));
  std::string command = prefix + " " + Quote(program);
  // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "literal" + a temporary.
  for (size_t i = 0; i < args.size(); ++i) {
    const bool field = args[i].find('=') != std::string::npos && !args[i].starts_with("-") &&
                       (i == 0 || (args[i - 1] != "--set" && args[i - 1] != "--use-fitting"));
    command.append(field ? " --set " : " ").append(Quote(args[i]));
  }
  command += (out_to.empty() ? " >" + out.string() + ".out" : " " + out_to) + " 2>" + out.string() +
             ".err </dev/null";
  const int raw = std::system(command.c_str());
  CalcRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out.string() + ".out"),
              ReadFile(out.string() + ".err")};
  fs::remove(out.string() + ".out");
  fs::remove(out.string() + ".err");
  return run;
}

CalcRun RunCalc(const Args& args, const std::string& prefix = "env LC_ALL=C",
                const std::string& out_to = "") {
  return RunProgram(TOLVARN_CALC, args, prefix, out_to);
}

// Without a configuration file.
CalcRun Calc(Args args) {
  args.insert(args.begin(), "--no-config");
  return RunCalc(args);
}

// The payback comparison from the command line: 160 litres a day against 96 and 35.50.
CalcRun PaybackCalc(const Args& more, bool payback = true) {
  Args all = Words(
      "--currency $ WVCost=1.5 PPeriod=5 Item1Use=80 Item1UseD=2 Item2Use=48 "
      "Item2UseD=2 Item2Cost=35.5");
  if (payback) all.push_back("--payback");
  all.insert(all.end(), more.begin(), more.end());
  return Calc(all);
}

// A number within 1e-12 of `expected` (relative above 1), or null when `expected` is.
bool Near(const nlohmann::json& value, const nlohmann::json& expected) {
  if (expected.is_null()) return value.is_null();
  const double x = expected.get<double>();
  return value.is_number() &&
         std::abs(value.get<double>() - x) <= 1e-12 * std::max(1.0, std::abs(x));
}

// Runs that must fail: the status, nothing on stdout, and the message (empty: a usage error's).
struct Failure {
  std::string args;
  int status;
  std::string err;
};
template <class Run>
void ExpectFailures(std::vector<Failure> rows, const std::vector<std::string>& usage,
                    const Run& run) {
  for (const std::string& args : usage)
    rows.push_back({args, 64, "\nRun with --help for more information.\n"});
  for (const Failure& row : rows) {
    SCOPED_TRACE(row.args);
    const CalcRun done = run(Words(row.args));
    EXPECT_EQ(done.status, row.status) << done.err;
    EXPECT_EQ(done.out, "");
    EXPECT_TRUE(row.status == 64 ? done.err.ends_with(row.err) : done.err == row.err) << done.err;
  }
}

TEST(Cli, JsonShowsTheWholeWindow) {
  const CalcRun run =
      Calc(Words("--json --currency $ --gallons WVCost=2 AnInfT=10 PPeriod=2.5 Item1Use=9.87 "
                 "Item1UseD=2.9"));
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json json = run.Json();
  EXPECT_EQ(json["fields"]["Item1Use"], "9.8");
  EXPECT_EQ(json["fields"]["WVCost"], "$2.0000");
  EXPECT_EQ(json["captions"]["WVChargeL"], "/1000 Gal");
  EXPECT_EQ(json["tooltips"]["VRate"], "Tax Rate (0 or between 1.0 and 50.0%)");
  EXPECT_EQ(json["enabled"]["Save"], true);
  // 32-bit state values read back exactly.
  EXPECT_EQ(json["state"]["InflationFactor"].get<double>(), static_cast<double>(1.21f));
  EXPECT_NE(json["record"].get<std::string>().find("Item 1"), std::string::npos);
}

// The worked examples of the help pages (and the README): every figure they show is the
// program's, written as a number of its own in the page.
TEST(Cli, TheWorkedExamplesOfTheHelpPagesAreThePrograms) {
  const auto shown_in = [](const char* page_name, const std::string& text) {
    const std::string page = ReadFile(fs::path(TOLVARN_HELP_DIR) / page_name);
    const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    for (size_t at = page.find(text); at != std::string::npos; at = page.find(text, at + 1))
      if (!digit(page[at - 1]) && !digit(page[at + text.size()])) return true;
    return false;
  };
  const std::string tariff = "--json WVCost=1.5 SVCost=1.8 SVAllow=95 AnInfT=2 PPeriod=5 ";
  const nlohmann::json costs = Calc(Words(tariff + "--currency \u00A3 Item1Use=65 Item1UseD=1 "
                                                   "Item2Use=45 Item2UseD=1 Item2Cost=450"))
                                   .Json();
  for (const char* field : {"Item2WCost", "Item2SCost", "Item2Day", "Item2Qtr", "Item2Period",
                            "Item2W", "Item1Period", "PeriodSave", "PeriodWater"}) {
    const std::string text = costs["fields"][field];
    EXPECT_TRUE(shown_in(
        "costs.htm", text.starts_with("\u00A3") ? "&pound;" + text.substr(2) : text + " litres"))
        << field << " " << text;
  }
  EXPECT_EQ(costs["state"]["CostSaveLabel"], "Cost Increase");

  const auto figure = [&](const nlohmann::json& value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value.get<double>());
    return shown_in("payback.htm", text);
  };
  const std::string compared = tariff +
                               "Item1Use=80 Item1UseD=2 Item2Use=48 Item2UseD=2 Item2Cost=35 "
                               "--payback --energy-price 0.07 --item1-hot 60 --item2-hot 60 "
                               "--co2-kwh 0.18 --co2-water 0.34";
  // Without a water meter, only the gas counts.
  for (const std::string meter : {"", " --unmetered"}) {
    SCOPED_TRACE(meter);
    const nlohmann::json payback = Calc(Words(compared + meter)).Json()["payback"];
    EXPECT_TRUE(shown_in("payback.htm", payback["headline"].get<std::string>()));
    const nlohmann::json& years = payback["years"];
    for (const int year : meter.empty() ? std::vector<int>{1, 3, 15} : std::vector<int>{1})
      for (const char* key : {"item1", "item2", "difference"})
        EXPECT_TRUE(figure(years[year][key], 2)) << year << " " << key;
    for (const char* key : {"item1Energy", "item2Energy", "item1Co2", "item2Co2"}) {
      EXPECT_TRUE(meter.empty() || figure(years[1][key], 1)) << key;
    }
    EXPECT_TRUE(figure(payback["breakEven"]["years"], 2));
  }
}

// Data errors end with status 2, a fatal error with 3, what it cannot do with 64; each says why
// on stderr, and only --json writes anything on stdout.
TEST(Cli, EachFailureHasItsStatusAndMessage) {
  ExpectFailures(
      {
          {"Item1Use=600 Item1UseD=1", 2,
           "Tolvarn Data Error: Payback Period must be between 1.0 and 10.0 years\n"
           "Water Volume Charge per cubic metre must be between 0.1000 and 5.0000\n"
           "Item 1 litres per Use must be between 1.0 and 500.0\n\n"},
          {"--inhibit-error-check Item1Use=5 Item1UseD=1 WVCost=1", 3,
           "Tolvarn Fatal Error: Error Number 252\r\nA Fatal Calaculation Error Has Ocurred.\r\n"
           "The Program Will Now Terminate.\n"},
          // Payback inputs out of range: all reported, and nothing runs (not even the --set check).
          {"--payback --horizon 0 --discount lots --item2-hot 101 --efficiency 100 Bogus=1", 2,
           "Years shown must be a whole number from 1 to 50.\n"
           "Discount rate must be a number from 0 to 20.\n"
           "Item 2 hot water share must be a number from 0 to 100.\n"},
          {"--payback --own-energy-price -1 --unmetered", 2,
           "Own energy price must be a number from 0 to 100.\n"},
          {"--unmetered", 64,
           "tolvarn-calc: --csv needs --payback, and the payback inputs --payback, --household or "
           "--use-fitting\nRun with --help for more information.\n"},
      },
      // A comma can begin a number, as the locale's rule says.
      {"Bogus=1", "Item1W=1", "--set NoEquals", "--currency EUR", "--currency ,",
       "--workdir /no/such/directory", "--csv", "--csv --json --payback", "--payback --save-data",
       "--no-such-option", "--archive --log"},
      Calc);
  EXPECT_EQ(Calc(Words("--json Item1Use=600 Item1UseD=1")).Json()["checkMessages"].size(), 3u);
  const nlohmann::json fatal =
      Calc(Words("--json --inhibit-error-check Item1Use=5 Item1UseD=1 WVCost=1")).Json()["fatal"];
  EXPECT_EQ(fatal["title"], "Tolvarn Fatal Error");
  EXPECT_EQ(fatal["location"], 252);
}

// A working directory with Data/, Help/ and Log/ and the example configuration file.
class CliFiles : public tolvarn::testing::TempDir {
 protected:
  CliFiles() { Install(); }
  CalcRun CalcHere(Args args, const std::string& prefix = "env LC_ALL=C") {
    args.insert(args.begin(), {"--workdir", dir_.string(), "--currency", "\u00A3"});
    return RunCalc(args, prefix);
  }
  const Args record_ = Words("--log Item1Use=9 Item1UseD=4");
};

// Without --workdir, the user's own directory, made at first use as the window does; the first
// --log makes the log with its whole header, under the user's umask (it holds the user's notes).
TEST_F(CliFiles, FindsItsWorkingDirectoryAsTheWindowDoes) {
  const fs::path home = dir_ / "home";
  fs::create_directory(home);
  const std::string in_home =
      "cd " + home.string() + " && env LC_ALL=C HOME=" + home.string() + " XDG_DATA_HOME=";
  // An empty --workdir (an unset variable) is a mistake, never the user's own directory.
  EXPECT_EQ(RunCalc({"--workdir", "", "--save-data"}, in_home).status, 64);
  EXPECT_EQ(RunProgram(TOLVARN_WINDOW, {"--workdir", ""}, in_home).status, 64);
  EXPECT_TRUE(fs::is_empty(home));
  // A user's directory that cannot be made ends the program; it is no usage error.
  const CalcRun cannot =
      RunCalc({"--json"}, in_home + " XDG_DATA_HOME=" + (dir_ / "Data/Tolvarn.ini/x").string());
  EXPECT_EQ(cannot.status, 3);
  EXPECT_TRUE(cannot.err.starts_with("Tolvarn: cannot create ")) << cannot.err;
  EXPECT_EQ(cannot.Json()["fatal"]["title"], "Tolvarn");
  const CalcRun run =
      RunCalc(Words("--log Notes=private Item1Use=9 Item1UseD=4"), "umask 077; " + in_home);
  EXPECT_EQ(run.status, 0) << run.err;
  const fs::path made = home / ".local/share/tolvarn/Log";
  const std::string log = ReadFile(made / "Tolvarn.log");
  EXPECT_TRUE(log.starts_with("Tolvarn Results Log\r\nVersion 4.3\r\nFile Created\r\n")) << log;
  EXPECT_NE(log.find("\r\nprivate\r\n"), std::string::npos) << log;
  EXPECT_EQ(fs::status(made / "Tolvarn.log").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(std::distance(fs::directory_iterator(made), {}), 1);
}

// A configuration file or a log that cannot be used ends the run with the window's box: 3 where
// the window ends, 4 where it goes on without the log; --json has the box as "fatal".
TEST_F(CliFiles, AFileThatCannotBeUsedEndsTheRunWithTheWindowsBox) {
  const struct {
    const char* path;
    const char* content;  // none: removed; "/": a folder
    int status;
    std::string err;  // its beginning
  } rows[] = {
      {"Data/Tolvarn.ini", nullptr, 3,
       "Tolvarn Configuration File Error: The configuration file is missing or corrupted.\r\n"},
      {"Data/Tolvarn.ini", "# Tolvarn Version 4.3\r\n[Run]\r\nWVCost=abc\r\nSVCost\r\n", 3,
       "Tolvarn Configuration File Error: The configuration file is corrupted.\r\n"},
      {"Log", nullptr, 3, "Tolvarn Log Directory Error: The Log directory does not exist.\r\n"},
      {"Log/Tolvarn.log", "/", 4, "Tolvarn Results Log File Error: The results log file is "},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.err);
    fs::remove_all(dir_ / row.path);
    if (row.content && *row.content == '/')
      fs::create_directory(dir_ / row.path);
    else if (row.content)
      Write(row.path, row.content);
    Args args = record_;
    args.push_back("--json");
    const CalcRun run = CalcHere(args);
    EXPECT_EQ(run.status, row.status);
    EXPECT_TRUE(run.err.starts_with(row.err)) << run.err;
    if (row.status == 3) {
      const nlohmann::json fatal = run.Json()["fatal"];
      EXPECT_EQ(fatal["title"].get<std::string>() + ": " + fatal["text"].get<std::string>() + "\n",
                run.err);
    }
    fs::remove_all(dir_ / row.path);
    Install();
  }
}

// Killed at any moment, a copy never leaves a damaged file: the configuration file is the old
// one or the new one, whole, and no temporary file stays for good.
using CliKilled = CliFiles;

TEST_F(CliKilled, SaveDataKilledAnywhereLeavesAWholeFile) {
  // Runs killed after `microseconds` unless they have ended by then (0 would be no limit).
  const auto run_and_kill = [&](const Args& args, int microseconds) {
    return CalcHere(args, "timeout -s KILL " + std::to_string(std::max(microseconds, 1) / 1e6));
  };
  // Kills spread over twice the time a whole save takes here (much longer under sanitizers).
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(run_and_kill({"--save-data"}, 5'000'000).status, 0);
  const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);
  std::mt19937 random(200);
  std::uniform_int_distribution<int> delay(0, static_cast<int>(2 * whole.count()));
  std::set<bool> seen_new;
  std::string old_file = Read("Data/Tolvarn.ini");
  for (int run = 0; run < 200; ++run) {
    const std::string charge = run % 2 == 0 ? "2" : "3";
    run_and_kill({"--save-data", "WVCost=" + charge}, delay(random));
    const std::string now = Read("Data/Tolvarn.ini");
    const bool is_new = now.starts_with("# Tolvarn Version 4.3\r\n# Configuration File\r\n") &&
                        now.ends_with("\r\nWVCost=" + charge + "00\r\n");
    ASSERT_TRUE(now == old_file || is_new) << "run " << run << ":\n" << now;
    seen_new.insert(is_new);
    old_file = now;
  }
  EXPECT_EQ(seen_new.size(), 2u) << "the kills never caught a save in time, or always did";
  // Nothing of the killed copies stays once a later save has run.
  ASSERT_EQ(run_and_kill({"--save-data"}, 5'000'000).status, 0);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "Data"), {}), 1);
}

// Two copies logging at once: every record arrives whole, none is lost, none is mixed.
TEST_F(CliFiles, TwoCopiesLoggingAtOnceLoseAndMixNothing) {
  constexpr size_t kEach = 1000;
  const std::string calc = Quote(TOLVARN_CALC) + " --workdir " + Quote(dir_.string()) +
                           " --log --set Notes=$n --set Item1Use=9 --set Item1UseD=4";
  ASSERT_EQ(Bash("for n in first second; do (for i in $(seq " + std::to_string(kEach) + "); do " +
                     calc + " >/dev/null || echo failed; done) & done; wait",
                 dir_ / "failed"),
            0);
  EXPECT_EQ(Read("failed"), "");
  const std::string log = Read("Log/Tolvarn.log");
  // Every record as the first one after its notes, with the blank lines after it.
  const size_t first = log.find("first\r\n") + 5;
  const std::string body = log.substr(first, log.find("\r\n\r\n\r\n", first) + 6 - first);
  EXPECT_EQ(Count(log, "first" + body), kEach);
  EXPECT_EQ(Count(log, "second" + body), kEach);
  EXPECT_EQ(Count(log, "\nWater Volume Cost"), 2 * kEach);  // nothing else but the header
}

// An entry that cannot be written whole (a full disk, a size limit) is taken back: the log is
// as it was, byte for byte, and the next entry starts on a line of its own.
TEST_F(CliFiles, AnEntryThatDoesNotFitLeavesTheLogAsItWas) {
  for (int i = 0; i < 5; ++i)
    ASSERT_EQ(CalcHere(record_).status, 0);
  // Padded so that a size limit falls 10 bytes past the end.
  const size_t limit = (Read("Log/Tolvarn.log").size() / 1024 + 1) * 1024;
  Write("Log/Tolvarn.log",
        Read("Log/Tolvarn.log") + std::string(limit - 10 - Read("Log/Tolvarn.log").size(), '-'));
  const std::string before = Read("Log/Tolvarn.log");
  const std::string full_disk =
      "env LC_ALL=C ASAN_OPTIONS=verify_asan_link_order=0 TOLVARN_SHORT_APPENDS=1 LD_PRELOAD=" +
      Quote(TOLVARN_APPEND_FAULTS);
  const std::string size_limit = "exec prlimit --fsize=" + std::to_string(limit) + " env LC_ALL=C";
  for (const std::string& fault : {full_disk, size_limit}) {
    SCOPED_TRACE(fault);
    const CalcRun cut = CalcHere(record_, fault);
    EXPECT_EQ(cut.status, 4);
    EXPECT_EQ(cut.err,
              "Tolvarn Log File Error: Unable to write to the log file. Tolvarn.log\r\n"
              "This may be a permissions problem.\n");
    EXPECT_EQ(
        CalcHere(Words("--no-config --inhibit-error-check Item1Use=5 Item1UseD=1 WVCost=1"), fault)
            .status,
        3);
    EXPECT_EQ(Read("Log/Tolvarn.log"), before);
  }
  // Behind another process that holds the log and never lets go: a failure after a while,
  // not a frozen program.
  const CalcRun held = CalcHere(record_, "flock " + Quote((dir_ / "Log/Tolvarn.log").string()) +
                                             " -c 'sleep 12' & sleep 0.5; env LC_ALL=C");
  EXPECT_EQ(held.status, 4);
  EXPECT_EQ(Read("Log/Tolvarn.log"), before);
  ASSERT_EQ(CalcHere(record_).status, 0);
  const std::string after = Read("Log/Tolvarn.log");
  ASSERT_TRUE(after.starts_with(before));
  EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(after[before.size()])))
      << after.substr(before.size());  // the date line
}

// A record that its writer says it wrote is never lost to an Archive, however they meet: one
// held up between opening the log and writing to it, and copies appending while the log is
// archived over and over. Each record is in the log or in one archive, once.
TEST_F(CliFiles, ArchivingWhileCopiesLogLosesNoRecord) {
  const std::string calc = Quote(TOLVARN_CALC) + " --workdir " + Quote(dir_.string());
  const std::string log = calc + " --log --set Item1Use=9 --set Item1UseD=4 --set Notes=";
  ASSERT_EQ(CalcHere(Words("--log Notes=first Item1Use=9 Item1UseD=4")).status, 0);
  const std::string held =
      "(env ASAN_OPTIONS=verify_asan_link_order=0 TOLVARN_SLOW_APPENDS=400 LD_PRELOAD=" +
      Quote(TOLVARN_APPEND_FAULTS) + " " + log + "held >/dev/null || echo failed) & sleep 0.1; " +
      calc + " --archive >/dev/null || echo failed; wait";
  constexpr int kEach = 150;
  // The archives run until the copies are done (bounded, so that a fault cannot hang the test).
  const std::string done = Quote((dir_ / "done").string());
  const std::string loops = "for n in a b c; do (for i in $(seq " + std::to_string(kEach) +
                            "); do " + log + "$n$i. >/dev/null || echo failed; done) & " +
                            "copies=\"$copies $!\"; done; (for k in $(seq 5000); do [ -e " + done +
                            " ] && break; " + calc + " --archive >/dev/null 2>&1; done) & " +
                            "wait $copies; touch " + done + "; wait";
  for (const std::string& script : {held, loops})
    ASSERT_EQ(Bash(script, dir_ / "failed"), 0);
  EXPECT_EQ(Read("failed"), "");
  std::string all;
  for (const auto& entry : fs::directory_iterator(dir_ / "Log"))
    all += ReadFile(entry.path());
  EXPECT_EQ(Count(all, "\r\nfirst\r\n"), 1u);
  EXPECT_EQ(Count(all, "\r\nheld\r\n"), 1u);
  for (const char* copy : {"a", "b", "c"})
    for (int i = 1; i <= kEach; ++i)
      ASSERT_EQ(Count(all, "\r\n" + std::string(copy) + std::to_string(i) + ".\r\n"), 1u)
          << copy << i;
  EXPECT_GT(std::distance(fs::directory_iterator(dir_ / "Log"), {}), 3);
}

// Archive for scripts: the window's Yes, with the archive's name on stdout.
TEST_F(CliFiles, ArchiveFromTheCommandLine) {
  const Args archive = {"--workdir", dir_.string(), "--archive"};
  ASSERT_EQ(RunCalc(archive).status, 4);  // no log yet
  ASSERT_EQ(CalcHere(Words("--log Notes=kept Item1Use=9 Item1UseD=4")).status, 0);
  const std::string logged = Read("Log/Tolvarn.log");
  const CalcRun archived = RunCalc(archive);
  ASSERT_EQ(archived.status, 0) << archived.err;
  EXPECT_TRUE(archived.out.starts_with((dir_ / "Log/Tolvarn_").string()) &&
              archived.out.ends_with("_1.log\n"))
      << archived.out;
  EXPECT_EQ(ReadFile(archived.out.substr(0, archived.out.size() - 1)), logged);
  EXPECT_EQ(Count(Read("Log/Tolvarn.log"), "Water"), 0u);
  const CalcRun nothing = RunCalc(archive);
  EXPECT_EQ(nothing.status, 4);
  EXPECT_EQ(nothing.err,
            "Tolvarn Results Log File Error: There is no data to archive!\r\n"
            "Results log file not archived.\n");
}

// Output that cannot be written is a failure that says why, never a silent success.
TEST(Cli, OutputThatCannotBeWrittenIsAFailure) {
  const std::string record = "WVCost=1.5 PPeriod=5 Item1Use=9 Item1UseD=4";
  for (const std::string& args : std::vector<std::string>{
           "--payback --csv WVCost=1.5 PPeriod=5 Item1Use=80 Item1UseD=2 Item2Use=48 Item2UseD=2",
           "--json WVCost=1.5 PPeriod=5", record, "--help"}) {
    SCOPED_TRACE(args);
    const CalcRun run = Calc(Words(args));
    ASSERT_EQ(run.status, 0);
    const CalcRun failed = RunCalc(Words("--no-config " + args), "env LC_ALL=C", ">/dev/full");
    EXPECT_EQ(failed.status, 4);
    EXPECT_EQ(failed.err, run.err + "tolvarn-calc: write error: No space left on device\n");
  }
  const CalcRun closed = RunCalc(Words("--no-config " + record), "env LC_ALL=C", ">&-");
  EXPECT_EQ(closed.status, 4);
  EXPECT_EQ(closed.err, "tolvarn-calc: write error: Bad file descriptor\n");
  // A data error keeps its status.
  EXPECT_EQ(RunCalc({"--no-config", "Item1Use=600"}, "env LC_ALL=C", ">/dev/full").status, 2);
}

TEST(CliPayback, JsonHoldsTheInputsEveryYearAndTheBreakEven) {
  const CalcRun run = PaybackCalc(
      Words("--json --horizon 4 --discount 3 --us-gallons --item1-hot 60 --energy-price 0.07"));
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::ordered_json payback = nlohmann::ordered_json::parse(run.out)["payback"];
  EXPECT_EQ(
      payback["inputs"].dump(),
      R"({"Horizon":4,"Discount":3.0,"EnergyPrice":0.07,"HeaterEfficiency":90.0,)"
      R"("TemperatureRise":30.0,"USGallons":true,"Co2PerKWh":0.0,"Co2PerCubicMetre":0.0,)"
      R"("Metered":true,"OwnEnergyPrice":null,)"
      R"("item1":{"OwnEnergy":0.0,"HotShare":60.0},"item2":{"OwnEnergy":0.0,"HotShare":0.0}})");
  const nlohmann::ordered_json& years = payback["years"];
  ASSERT_EQ(years.size(), 5u);
  EXPECT_TRUE(years[1].dump().starts_with(R"({"year":1,"item1":)")) << years[1];
  EXPECT_EQ(payback["breakEven"]["item"], 2);
  EXPECT_EQ(payback["headline"], "Item 2 pays for itself after 3 months.");
}

TEST(CliPayback, RecordAndHeadlineOrCsvOrNothing) {
  const CalcRun plain = PaybackCalc({}, false);
  // A year's saving of 35.04, discounted by 20 %, does not make up the 35.50.
  EXPECT_EQ(PaybackCalc(Words("--horizon 1 --discount 20")).out,
            plain.out + "Item 2 does not pay for itself within 1 years.\r\n");
  // Unmetered, the water saved is worth nothing.
  EXPECT_EQ(PaybackCalc({"--unmetered"}).out,
            plain.out + "Item 2 does not pay for itself within 15 years.\r\n");
  EXPECT_FALSE(PaybackCalc({"--json"}, false).Json().contains("payback"));
  // 87.60 a year against 52.56.
  EXPECT_EQ(PaybackCalc(Words("--csv --horizon 2")).out,
            "year,item1,item2,difference,item1Water,item2Water,item1Energy,item2Energy,item1Co2,"
            "item2Co2\r\n"
            "0,0.00,35.50,-35.50,0.0,0.0,0.000,0.000,0.000,0.000\r\n"
            "1,87.60,88.06,-0.46,58400.0,35040.0,0.000,0.000,0.000,0.000\r\n"
            "2,175.20,140.62,34.58,116800.0,70080.0,0.000,0.000,0.000,0.000\r\n");
  // An item empty, or the checks failed: no comparison.
  EXPECT_TRUE(
      PaybackCalc(Words("--json Item2Use= Item2UseD= Item2Cost=")).Json()["payback"].is_null());
  const CalcRun failed = PaybackCalc(Words("--json WVCost=9"));
  EXPECT_EQ(failed.status, 2);
  EXPECT_TRUE(failed.Json()["payback"].is_null());
  const CalcRun none = PaybackCalc(Words("--csv Item2Use= Item2UseD= Item2Cost="));
  EXPECT_EQ(none.err, "tolvarn-calc: no payback comparison: it needs both items\n");
  // Figures too large to work out, with the checks inhibited: said so, and no rows.
  const CalcRun huge =
      PaybackCalc(Words("--csv --inhibit-error-check AnInfT=1e9 PPeriod=1 --horizon 50"));
  EXPECT_EQ(huge.status, 2);
  EXPECT_EQ(huge.out.find("\r\n"), huge.out.size() - 2) << huge.out;  // the header alone
  EXPECT_EQ(huge.err, "tolvarn-calc: The payback figures are too large to work out.\n");
}

// A year of item 1: its water (160 litres a day at 1.50 a cubic metre, 87.60) when metered, and
// its own energy, 2 uses a day of `tenths` / 10 kWh, at the own price (not set when given
// empty) or else at the energy price.
RC_GTEST_PROP(CliPayback, TheItemsOwnEnergyAtItsOwnPriceOrTheEnergyPrice, ()) {
  const bool metered = *rc::gen::arbitrary<bool>();
  const int tenths = *rc::gen::inRange(0, 51);
  const int price = *rc::gen::inRange(0, 101);
  const int own = *rc::gen::inRange(-2, 101);  // cents; -2: not given, -1: given empty
  Args args = {"--json",         metered ? "--unmetered=false" : "--unmetered",
               "--item1-energy", Decimal(tenths, 1),
               "--energy-price", Decimal(price, 2)};
  if (own >= -1) args.insert(args.end(), {"--own-energy-price", own < 0 ? "" : Decimal(own, 2)});
  const CalcRun run = PaybackCalc(args);
  RC_ASSERT((run.status == 0));
  const nlohmann::json payback = run.Json()["payback"];
  RC_ASSERT((payback["inputs"]["Metered"] == metered));
  RC_ASSERT((own < 0 ? payback["inputs"]["OwnEnergyPrice"].is_null()
                     : Near(payback["inputs"]["OwnEnergyPrice"], own / 100.0)));
  const double kwh_price = (own < 0 ? price : own) / 100.0;
  RC_ASSERT(
      (Near(payback["years"][1]["item1"], (metered ? 87.6 : 0) + 730 * tenths / 10.0 * kwh_price)));
}

// Given twice, an option counts as the last one (--currency too: PaybackCalc gives one).
RC_GTEST_PROP(CliPayback, AnOptionGivenTwiceCountsAsTheLastOne, ()) {
  const int horizon = *rc::gen::inRange(1, 51);
  const int discount = *rc::gen::inRange(0, 21);
  const CalcRun run = PaybackCalc({"--json", "--horizon", std::to_string(*rc::gen::inRange(1, 51)),
                                   "--horizon", std::to_string(horizon), "--currency", "\u20AC",
                                   "--discount=" + std::to_string(*rc::gen::inRange(0, 21)),
                                   "--discount", std::to_string(discount)});
  RC_ASSERT((run.status == 0));
  const nlohmann::json json = run.Json();
  RC_ASSERT((json["payback"]["inputs"]["Horizon"] == horizon));
  RC_ASSERT((json["payback"]["inputs"]["Discount"] == discount));
  RC_ASSERT((json["payback"]["years"].size() == static_cast<size_t>(horizon) + 1));
  RC_ASSERT((json["state"]["CurrencySymbol"] == "\u20AC"));
}

TEST_F(CliFiles, PaybackTakesItsSettingsFromPaybackIniAndWritesNothing) {
  const std::string settings =
      "[Payback]\r\nHorizon=3\r\nDiscount=ten\r\nEnergyPrice=0.3\r\nMetered=0\r\n"
      "OwnEnergyPrice=0.5\r\n";
  Write("Data/Payback.ini", settings);
  const std::string items = " Item1Use=9 Item1UseD=4 Item2Use=6 Item2UseD=4 Item2Cost=300";
  const CalcRun run = CalcHere(Words("--payback --json --energy-price 0.25" + items));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "tolvarn-calc: Payback.ini: Discount was damaged; using 0.\n");
  const nlohmann::json inputs = run.Json()["payback"]["inputs"];
  EXPECT_EQ(inputs["Horizon"], 3);
  EXPECT_EQ(inputs["Discount"], 0);
  EXPECT_EQ(inputs["EnergyPrice"], 0.25);  // the option wins over the file
  EXPECT_EQ(inputs["Metered"], false);
  EXPECT_EQ(inputs["OwnEnergyPrice"], 0.5);
  EXPECT_EQ(Read("Data/Payback.ini"), settings);
  // The options win over the file's Metered and own price too.
  const nlohmann::json given =
      CalcHere(Words("--payback --json --unmetered=false --own-energy-price ''" + items))
          .Json()["payback"]["inputs"];
  EXPECT_EQ(given["Metered"], true);
  EXPECT_TRUE(given["OwnEnergyPrice"].is_null());
}

// Two people, cold water at 10 degrees, the heater's rise 40 (a hot share of 30 / 40) at 90 %:
//   1 mixer shower 8 L/min x 7.5 min x 4.4 a week / 7 x 2 = 75.428571 L, heater
//     75.428571 x 0.75 x 40 x 0.001163 / 0.9 = 2.924114 kWh;
//   2 electric shower 5 L/min: 47.142857 L, its own 47.142857 x 30 x 0.001163 = 1.644814 kWh;
//   3 washing machine 50 L, 0.63 kWh, 4.7 a week: 33.571429 L, 0.423 kWh;
//   4 a WC of 1 L flushed 0.2 times a day each: 0.4 L;
//   5 low-flow shower head 6 L/min: 56.571429 L, heater 2.193086 kWh.
// 213.114286 L a day. Water 1.50 and sewerage 1.80 at 95 %: 3.21 a cubic metre; heat at 0.07 a
// kWh and the fittings' own energy at 0.25. A meter: 50 + 365 x 0.213114 x 3.21 = 299.695353.
std::string HouseholdIni(const std::string& bill) {
  const std::string shower = "\r\nMinutes=7.5\r\nPerPersonPerWeek=4.4\r\nUseTemperature=40\r\n";
  return "[Household]\r\nPeople=2\r\nColdSupply=10\r\nUnmeteredBill=" + bill +
         "\r\nStandingCharges=50\r\n\r\n[Fitting 1]\r\nName=Mixer shower\r\nKind=Shower\r\n"
         "FlowRate=8" +
         shower + "[Fitting 2]\r\nName=Electric shower\r\nKind=ElectricShower\r\nFlowRate=5" +
         shower +
         "[Fitting 3]\r\nName=Washing machine\r\nKind=WashingMachine\r\nLitresPerCycle=50\r\n"
         "KWhPerCycle=0.63\r\nCyclesPerWeek=4.7\r\n"
         "[Fitting 4]\r\nName=Spare WC\r\nKind=Toilet\r\nFlushVolume=1\r\nPerPersonPerDay=0.2\r\n"
         "[Fitting 5]\r\nName=Low-flow shower head\r\nKind=Shower\r\nFlowRate=6" +
         shower;
}
constexpr double kMeteredPerYear = 299.695352857142857;
constexpr double kMixerShowerCost = 0.446813714285714;  // 0.075428571 x 3.21 + 2.924114 x 0.07

class CliHousehold : public CliFiles {
 protected:
  // The household with `bill` a year unmetered, on the tariff above.
  CalcRun Household(const std::string& bill, const Args& more) {
    Write("Data/Household.ini", HouseholdIni(bill));
    Args args = Words(
        "--household WVCost=1.5 SVCost=1.8 SVAllow=95 VRate=0 PPeriod=5 AnInfT=2 --energy-price "
        "0.07 --own-energy-price 0.25 --temperature-rise 40");
    args.insert(args.end(), more.begin(), more.end());
    return CalcHere(args);
  }
};

std::vector<std::string> Keys(const nlohmann::ordered_json& object) {
  std::vector<std::string> keys;
  for (const auto& [key, value] : object.items())
    keys.push_back(key);
  return keys;
}

TEST_F(CliHousehold, JsonHoldsEveryFittingInFullAndTheBill) {
  const CalcRun run = Household("400", {"--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const nlohmann::ordered_json household = nlohmann::ordered_json::parse(run.out)["household"];
  EXPECT_EQ(Keys(household), Words("people coldSupply fittings litresPerDay "
                                   "litresPerPersonPerDay bill"));
  EXPECT_EQ(household["people"], 2);
  EXPECT_EQ(household["coldSupply"], 10);
  const struct {
    const char* name;
    const char* kind;
    double litres, own, heater, hot, cost;
  } fittings[] = {
      {"Mixer shower", "Shower", 75.428571428571429, 0, 2.924114285714286, 75, kMixerShowerCost},
      // 0.047142857 x 3.21 + 1.644814 x 0.25
      {"Electric shower", "ElectricShower", 47.142857142857143, 1.644814285714286, 0, 0,
       0.562532142857143},
      {"Washing machine", "WashingMachine", 33.571428571428571, 0.423, 0, 0, 0.213514285714286},
      {"Spare WC", "Toilet", 0.4, 0, 0, 0, 0.001284},
      {"Low-flow shower head", "Shower", 56.571428571428571, 0, 2.193085714285714, 75,
       0.335110285714286},
  };
  const nlohmann::ordered_json& listed = household["fittings"];
  ASSERT_EQ(listed.size(), std::size(fittings));
  EXPECT_EQ(Keys(listed[0]), Words("index name kind litresPerDay ownKWhPerDay heaterKWhPerDay "
                                   "hotShare costPerDay"));
  for (size_t i = 0; i < listed.size(); ++i) {
    const auto& f = fittings[i];
    SCOPED_TRACE(f.name);
    EXPECT_EQ(listed[i]["index"], i + 1);
    EXPECT_EQ(listed[i]["name"], f.name);
    EXPECT_EQ(listed[i]["kind"], f.kind);
    for (const auto& [key, value] : {std::pair("litresPerDay", f.litres),
                                     {"ownKWhPerDay", f.own},
                                     {"heaterKWhPerDay", f.heater},
                                     {"hotShare", f.hot},
                                     {"costPerDay", f.cost}})
      EXPECT_TRUE(Near(listed[i][key], value)) << key << ": " << listed[i][key];
  }
  EXPECT_TRUE(Near(household["litresPerDay"], 213.114285714285714)) << household;
  EXPECT_TRUE(Near(household["litresPerPersonPerDay"], 106.557142857142857)) << household;
  EXPECT_EQ(Keys(household["bill"]),
            Words("meteredPerYear unmeteredPerYear breakEvenLitresPerDay headline"));
}

// Any unmetered bill: a meter's 299.70 against it, in the currency given, and the break-even
// (bill - 50) / (365 x 3.21) x 1000 litres a day.
RC_GTEST_FIXTURE_PROP(CliHousehold, TheMeterVerdictFollowsTheBill, ()) {
  const int cents = *rc::gen::inRange(1, 100001);
  const std::string currency = *rc::gen::element<std::string>("\u00A3", "\u20AC", "$");
  const CalcRun run = Household(Decimal(cents, 2), {"--json", "--currency", currency});
  RC_ASSERT((run.status == 0));
  const nlohmann::json bill = run.Json()["household"]["bill"];
  const double unmetered = cents / 100.0;
  RC_ASSERT((Near(bill["meteredPerYear"], kMeteredPerYear)));
  RC_ASSERT((Near(bill["unmeteredPerYear"], unmetered)));
  RC_ASSERT((Near(bill["breakEvenLitresPerDay"], (unmetered - 50) / (365 * 3.21) * 1000)));
  char difference[32];
  std::snprintf(difference, sizeof difference, "%.2f", std::abs(kMeteredPerYear - unmetered));
  RC_ASSERT((bill["headline"] ==
             (std::string(difference) == "0.00" ? "A water meter would cost the same."
              : kMeteredPerYear < unmetered
                  ? "A water meter would save " + currency + difference + " a year."
                  : "A water meter would cost " + currency + difference + " a year more.")));
}

// The meter's verdict in the window's units, or no money at all.
TEST_F(CliHousehold, TheBillAndTheMeterVerdict) {
  const struct {
    const char* bill;
    const char* more;
    int status;
    nlohmann::json metered, unmetered, break_even, first_cost;  // null: none
    std::string headline;
  } rows[] = {
      {"299.7", "", 0, kMeteredPerYear, 299.7, 213.11825203772455, kMixerShowerCost,
       "A water meter would cost the same."},
      {"0", "", 0, kMeteredPerYear, nullptr, nullptr, kMixerShowerCost, ""},
      // Per 1000 UK gallons: 50 + 365 x 213.114286 / 4.54609 / 1000 x 3.21; the break-even
      // still in litres, x 4.54609.
      {"400", "--gallons", 0, 104.925299071761, 400, 1358.02628771391,
       0.075428571428571 / 4.54609 * 3.21 + 2.924114285714286 * 0.07,
       "A water meter would save \u00A3295.07 a year."},
      // Unmetered, a fitting costs its energy alone; the meter is judged as before.
      {"400", "--unmetered", 0, kMeteredPerYear, 400, 298.724021678829, 0.204688,
       "A water meter would save \u00A3100.30 a year."},
      // A tariff that fails its checks: litres and kWh, no money.
      {"400", "WVCost=9", 2, nullptr, 400, nullptr, nullptr, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.bill) + " " + row.more);
    Args args = Words(row.more);
    args.push_back("--json");
    const CalcRun run = Household(row.bill, args);
    ASSERT_EQ(run.status, row.status) << run.err;
    const nlohmann::json household = run.Json()["household"];
    const nlohmann::json& bill = household["bill"];
    EXPECT_TRUE(Near(bill["meteredPerYear"], row.metered)) << bill;
    EXPECT_TRUE(Near(bill["unmeteredPerYear"], row.unmetered)) << bill;
    EXPECT_TRUE(Near(bill["breakEvenLitresPerDay"], row.break_even)) << bill;
    EXPECT_TRUE(Near(household["fittings"][0]["costPerDay"], row.first_cost)) << household;
    EXPECT_EQ(bill["headline"], row.headline);
    EXPECT_TRUE(Near(household["fittings"][0]["litresPerDay"], 75.428571428571429));
  }
}

TEST_F(CliHousehold, ATableWithoutJson) {
  const CalcRun run = Household("400", {});
  ASSERT_EQ(run.status, 0) << run.err;
  for (const std::string& line :
       {" # Fitting" + std::string(33, ' ') + " litres/day kWh/day cost/day\r\n",
        " 1 Mixer shower" + std::string(28, ' ') + "       75.4   2.924    \u00A30.45\r\n",
        " 2 Electric shower" + std::string(25, ' ') + "       47.1   1.645    \u00A30.56\r\n",
        std::string("Total: 213.1 litres a day, 106.6 a person (GB average 142)\r\n"),
        std::string("Metered bill: \u00A3299.70 a year\r\nUnmetered bill: \u00A3400.00 a year\r\n"
                    "A meter breaks even at 298.7 litres a day.\r\n"
                    "A water meter would save \u00A3100.30 a year.\r\n")})
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
  const CalcRun failed = Household("400", {"WVCost=9"});
  EXPECT_EQ(failed.status, 2);
  EXPECT_NE(failed.out.find("2.924        -\r\n"), std::string::npos) << failed.out;
  EXPECT_NE(failed.out.find("No costs: they need a tariff that passes the data checks.\r\n"),
            std::string::npos);
}

// Compare from the command line: the fittings into the items, then Calculate and Payback.
TEST_F(CliHousehold, UseFittingFillsTheItemsForPayback) {
  const struct {
    std::string args;
    std::string items;  // Use|UseD|Cost of each
    double own1, hot1, hot2;
    std::string headline;
  } rows[] = {
      // 75.4 L against 56.6 for 35.00: 163.03 a year against 122.38.
      {"--use-fitting 1=1 --use-fitting 2=5 Item2Cost=35", "75.4|1||56.6|1|\u00A335.00", 0, 75, 75,
       "Item 2 pays for itself after 10 months."},
      // The last one for an item counts; an option given wins over the fitting's value.
      {"--use-fitting 2=3 --use-fitting 1=2 --use-fitting 2=5 --item2-hot 50", "47.1|1||56.6|1|",
       1.64481428571429, 0, 50, ""},
      // In UK gallons: 75.428571 / 4.54609; a --set changes what was filled in.
      {"--gallons --use-fitting 1=1 --use-fitting 2=5 Item1Cost=5", "16.6|1|\u00A35.00|12.4|1|", 0,
       75, 75, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.args);
    const CalcRun run = Household("400", Words(row.args + " --payback --json"));
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json json = run.Json();
    std::string items;
    for (const char* field :
         {"Item1Use", "Item1UseD", "Item1Cost", "Item2Use", "Item2UseD", "Item2Cost"})
      items += (items.empty() ? "" : "|") + json["fields"][field].get<std::string>();
    EXPECT_EQ(items, row.items);
    const nlohmann::json& inputs = json["payback"]["inputs"];
    EXPECT_EQ(inputs["item1"]["OwnEnergy"], row.own1);
    EXPECT_EQ(inputs["item1"]["HotShare"], row.hot1);
    EXPECT_EQ(inputs["item2"]["HotShare"], row.hot2);
    if (!row.headline.empty()) {
      EXPECT_EQ(json["payback"]["headline"], row.headline);
    }
  }
  // Without --household nothing of it is printed: the record and the headline.
  Write("Data/Household.ini", HouseholdIni("0"));
  const CalcRun plain = CalcHere(
      Words("--use-fitting 1=1 --use-fitting 2=5 Item2Cost=35 WVCost=1.5 SVCost=1.8 SVAllow=95 "
            "VRate=0 PPeriod=5 AnInfT=2 --payback --energy-price 0.07"));
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_TRUE(plain.out.ends_with("Item 2 pays for itself after 10 months.\r\n")) << plain.out;
}

// What cannot be done is said on stderr, every reason at once, and nothing is printed.
TEST_F(CliHousehold, WhatCannotBeDoneWritesNothing) {
  ExpectFailures(
      {
          {"--use-fitting 1=9 --use-fitting 2=4", 2,
           "tolvarn-calc: --use-fitting 1=9: the household has 5 fittings\n"
           "tolvarn-calc: --use-fitting 2=4: Spare WC uses less than 1.0 litres a day, too little "
           "to "
           "compare\n"},
          {"--efficiency 5 --temperature-rise 100", 2,
           "Heater efficiency must be a number from 10 to 500.\n"
           "Temperature rise must be a number from 0 to 90.\n"},
      },
      {"--use-fitting 3=1", "--use-fitting 1=0", "--use-fitting 1=one", "--payback --csv",
       "--save-data", "--household-file ''"},
      [&](const Args& args) { return Household("400", args); });
}

// A missing file is an empty household; a damaged value stops the run with every note, so a
// script never gets figures for defaults; a file named is found from the current directory.
TEST_F(CliHousehold, MissingDamagedAndNamedFiles) {
  const auto fittings = [](const CalcRun& run) { return run.Json()["household"]["fittings"]; };
  const CalcRun missing = CalcHere({"--household", "--json"});
  ASSERT_EQ(missing.status, 0) << missing.err;
  EXPECT_EQ(missing.err, "");
  EXPECT_EQ(missing.Json()["household"]["people"], 2);
  EXPECT_EQ(fittings(missing).size(), 0u);
  EXPECT_EQ(missing.Json()["household"]["litresPerDay"], 0);

  Write("Data/Household.ini",
        "[Household]\r\nPeople=two\r\n[Fitting 1]\r\nKind=Shower\r\nFlowRate=40\r\n");
  ExpectFailures(
      {{"--household --json", 2,
        "tolvarn-calc: Household.ini: People was damaged; using 2.\n"
        "tolvarn-calc: Household.ini: [Fitting 1] FlowRate was out of range; using 8.\n"}},
      {}, [&](const Args& args) { return CalcHere(args); });

  fs::create_directory(dir_ / "elsewhere");
  Write("elsewhere/mine.ini", HouseholdIni("0"));
  const std::string in_elsewhere =
      "cd " + Quote((dir_ / "elsewhere").string()) + " && env LC_ALL=C";
  EXPECT_EQ(fittings(CalcHere({"--household-file", "mine.ini", "--json"}, in_elsewhere)).size(),
            5u);
  const CalcRun not_there = CalcHere({"--household-file", "none.ini", "--json"}, in_elsewhere);
  EXPECT_EQ(not_there.err, "tolvarn-calc: none.ini: no such file; the household is empty\n");
  EXPECT_EQ(fittings(not_there).size(), 0u);
}

// Both programs answer --help and --version without a display and refuse an unknown option.
TEST(Cli, HelpVersionAndTheCompletion) {
  for (const std::string& program : {std::string(TOLVARN_WINDOW), std::string(TOLVARN_CALC)}) {
    const std::string name = fs::path(program).filename().string();
    const auto run = [&](const std::string& option) {
      return RunProgram(program, {option}, "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM");
    };
    const CalcRun help = run("--help");
    EXPECT_EQ(help.status, 0) << name;
    EXPECT_NE(help.out.find("Usage: " + name), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("Report a fault"), std::string::npos) << name;
    std::istringstream lines(help.out);
    for (std::string line; std::getline(lines, line);)
      EXPECT_LE(line.size(), 80u) << line;
    const CalcRun version = run("--version");
    EXPECT_EQ(version.status, 0) << name;
    EXPECT_TRUE(version.out.starts_with(name + " 4.")) << version.out;
    EXPECT_EQ(run("--no-such-option").status, 64) << name;
  }
  // The bash completion, made from the same option table: options, then fields after --set.
  const fs::path completed = fs::temp_directory_path() / "tolvarn_completed";
  fs::remove(completed);
  ASSERT_EQ(Bash("source <(" + Quote(TOLVARN_CALC) +
                     " --bash-completion); for words in '--hor' '--set Item2U' '--payback --e' "
                     "'--house'; do COMP_WORDS=(tolvarn-calc $words); "
                     "COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _tolvarn_calc; "
                     "echo \"${COMPREPLY[*]}\"; done",
                 completed),
            0);
  EXPECT_EQ(ReadFile(completed),
            "--horizon\nItem2Use= Item2UseD=\n--energy-price --efficiency\n"
            "--household --household-file\n");
  fs::remove(completed);
}

}  // namespace
