// tolvarn-calc as a user runs it: a separate process, its output, its exit status. The figures
// are the unit tests'; here the options, the statuses, the JSON's shape, the files and their
// safety.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
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
using Json = nlohmann::ordered_json;

struct CalcRun {
  int status = -1;
  std::string out;
  std::string err;
  Json Parsed() const { return Json::parse(out); }
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

size_t Count(const std::string& text, const std::string& what) {
  size_t found = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++found;
  return found;
}

// The members of `object` in order, blank-separated.
std::string Keys(const Json& object) {
  std::string keys;
  for (const auto& [key, value] : object.items())
    keys += (keys.empty() ? "" : " ") + key;
  return keys;
}

// Runs `program` under `prefix` (environment settings and the like), its stdout to `out_to` (a
// redirection) unless kept.
CalcRun RunProgram(const std::string& program, const Args& args, const std::string& prefix,
                   const std::string& out_to = "") {
  const std::string out = fs::temp_directory_path() / "tolvarn_cli_";
  const std::string to = out + std::to_string(::getpid());
  std::string command = prefix + " " + Quote(program);
  for (const std::string& arg : args)
    command.append(" ").append(Quote(arg));
  command.append(out_to.empty() ? " >" + to + ".out" : " " + out_to).append(" 2>" + to + ".err");
  const int raw = std::system(command.append(" </dev/null").c_str());
  CalcRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(to + ".out"), ReadFile(to + ".err")};
  fs::remove(to + ".out");
  fs::remove(to + ".err");
  return run;
}

// tolvarn-calc, where a bare "Field=text" sets a field as --set does.
CalcRun RunCalc(const Args& args, const std::string& prefix = "env LC_ALL=C",
                const std::string& out_to = "") {
  Args all;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i].find('=') != std::string::npos && !args[i].starts_with("-") &&
        (i == 0 || (args[i - 1] != "--set" && args[i - 1] != "--use-fitting")))
      all.push_back("--set");
    all.push_back(args[i]);
  }
  return RunProgram(TOLVARN_CALC, all, prefix, out_to);
}

// A bash script: its status and what it printed.
CalcRun Bash(const std::string& script) {
  return RunProgram("bash", {"-c", script}, "env");
}

// Calculate's fatal error 252: the checks inhibited, and no payback period.
const std::string kFatal = "--inhibit-error-check Item1Use=5 Item1UseD=1 WVCost=1";

// Without a configuration file.
CalcRun Calc(const std::string& args) {
  return RunCalc(Words("--no-config " + args));
}

// The payback comparison from the command line: 160 litres a day against 96 and 35.50.
CalcRun PaybackCalc(const std::string& more, bool payback = true) {
  return Calc(
      "--currency $ WVCost=1.5 PPeriod=5 Item1Use=80 Item1UseD=2 Item2Use=48 Item2UseD=2 "
      "Item2Cost=35.5 " +
      std::string(payback ? "--payback " : "") + more);
}

// A run that failed: its status, nothing on stdout, and stderr beginning with `err`.
void ExpectFailure(const CalcRun& run, int status, const std::string& err) {
  EXPECT_EQ(run.status, status) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(run.err.starts_with(err)) << run.err;
}

TEST(Cli, JsonShowsTheWholeWindow) {
  const CalcRun run = Calc(
      "--json --currency $ --gallons WVCost=2 AnInfT=10 PPeriod=2.5 Item1Use=9.87 Item1UseD=2.9");
  ASSERT_EQ(run.status, 0) << run.err;
  const Json json = run.Parsed();
  EXPECT_EQ(Keys(json), "fields colours captions tooltips enabled state checkMessages record");
  EXPECT_EQ(json["fields"]["WVCost"], "$2.0000");
  EXPECT_EQ(json["captions"]["WVChargeL"], "/1000 Gal");
  EXPECT_EQ(json["colours"]["Item1Day"].size(), 3u);
  EXPECT_EQ(Keys(json["enabled"]), "Save Timer1");
  // 32-bit state values read back exactly.
  EXPECT_EQ(json["state"]["InflationFactor"].get<double>(), static_cast<double>(1.21f));
  EXPECT_NE(json["record"].get<std::string>().find("Item 1"), std::string::npos);
}

// Data errors end with status 2, a fatal error with 3, what it cannot do with 64; each says why
// on stderr, and only --json writes anything on stdout.
TEST(Cli, EachFailureHasItsStatusAndMessage) {
  ExpectFailure(Calc("Item1Use=600 Item1UseD=1"), 2,
                "Tolvarn Data Error: Payback Period must be between 1.0 and 10.0 years\n");
  ExpectFailure(Calc(kFatal), 3,
                "Tolvarn Fatal Error: Error Number 252\r\nA Fatal Calaculation Error Has "
                "Ocurred.\r\nThe Program Will Now Terminate.\n");
  // Payback inputs out of range: all reported, and nothing runs (not even the --set check).
  ExpectFailure(Calc("--payback --horizon 0 --discount lots --item2-hot 101 Bogus=1"), 2,
                "Years shown must be a whole number from 1 to 50.\nDiscount rate must be a "
                "number from 0 to 20.\nItem 2 hot water share must be a number from 0 to 100.\n");
  const std::string usage = "\nRun with --help for more information.\n";
  EXPECT_EQ(Calc("--unmetered").err,
            "tolvarn-calc: --csv needs --payback, and the payback inputs "
            "--payback, --household or --use-fitting" +
                usage);
  // A comma can begin a number, as the locale's rule says.
  for (const char* args :
       {"--unmetered", "Bogus=1", "Item1W=1", "--set NoEquals", "--currency EUR", "--currency ,",
        "--workdir /no/such/directory", "--csv", "--csv --json --payback", "--payback --save-data",
        "--no-such-option", "--archive --log", "--use-fitting 3=1", "--use-fitting 1=0",
        "--use-fitting 1=one", "--household --payback --csv", "--household --save-data",
        "--household-file ''"}) {
    SCOPED_TRACE(args);
    const CalcRun run = Calc(args);
    ExpectFailure(run, 64, "");
    EXPECT_TRUE(run.err.ends_with(usage)) << run.err;
  }
  EXPECT_EQ(Calc("--json Item1Use=600 Item1UseD=1").Parsed()["checkMessages"].size(), 3u);
  const Json fatal = Calc("--json " + kFatal).Parsed()["fatal"];
  EXPECT_EQ(Keys(fatal), "title text operation location");
  EXPECT_EQ(fatal["location"], 252);
}

// Output that cannot be written is a failure that says why, never a silent success; a data
// error keeps its status.
TEST(Cli, OutputThatCannotBeWrittenIsAFailure) {
  const Args record = Words("--no-config WVCost=1.5 PPeriod=5 Item1Use=9 Item1UseD=4");
  for (const Args& args : {record, Args{"--help"}})
    EXPECT_EQ(RunCalc(args, "env LC_ALL=C", ">/dev/full").err,
              "tolvarn-calc: write error: No space left on device\n");
  const CalcRun closed = RunCalc(record, "env LC_ALL=C", ">&-");
  EXPECT_EQ(closed.status, 4);
  EXPECT_EQ(closed.err, "tolvarn-calc: write error: Bad file descriptor\n");
  EXPECT_EQ(RunCalc({"--no-config", "Item1Use=600"}, "env LC_ALL=C", ">/dev/full").status, 2);
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
    EXPECT_NE(help.out.find("Report a fault"), std::string::npos) << help.out;
    std::istringstream lines(help.out);
    for (std::string line; std::getline(lines, line);)
      EXPECT_LE(line.size(), 80u) << line;
    EXPECT_TRUE(run("--version").out.starts_with(name + " 4.")) << name;
    EXPECT_EQ(run("--no-such-option").status, 64) << name;
  }
  // The bash completion, made from the same option table: options, then fields after --set.
  EXPECT_EQ(Bash("source <(" + Quote(TOLVARN_CALC) +
                 " --bash-completion); for words in '--hor' '--set Item2U' '--payback --e' "
                 "'--house'; do COMP_WORDS=(tolvarn-calc $words); "
                 "COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _tolvarn_calc; "
                 "echo \"${COMPREPLY[*]}\"; done")
                .out,
            "--horizon\nItem2Use= Item2UseD=\n--energy-price --efficiency\n"
            "--household --household-file\n");
}

// A working directory with Data/, Help/ and Log/ and the example configuration file.
class CliFiles : public tolvarn::testing::TempDir {
 protected:
  CliFiles() { Install(); }
  CalcRun CalcHere(Args args, const std::string& prefix = "env LC_ALL=C") {
    args.insert(args.begin(), {"--workdir", dir_.string(), "--currency", "\u00A3"});
    return RunCalc(args, prefix);
  }
  // The program in a bash script, on this directory.
  std::string Script() const { return Quote(TOLVARN_CALC) + " --workdir " + Quote(dir_.string()); }
  // Runs `script`: it must end well, and print nothing (a copy that failed says so).
  void ExpectQuiet(const std::string& script) {
    const CalcRun run = Bash(script);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
  }
  std::string Log() const { return Read("Log/Tolvarn.log"); }
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
  EXPECT_TRUE(fs::is_empty(home));
  // A user's directory that cannot be made ends the program; it is no usage error.
  const CalcRun cannot =
      RunCalc({"--json"}, in_home + " XDG_DATA_HOME=" + (dir_ / "Data/Tolvarn.ini/x").string());
  EXPECT_EQ(cannot.status, 3);
  EXPECT_TRUE(cannot.err.starts_with("Tolvarn: cannot create ")) << cannot.err;
  EXPECT_EQ(Keys(cannot.Parsed()["fatal"]), "title text");
  EXPECT_EQ(RunCalc(record_, "umask 077; " + in_home).status, 0);
  const fs::path made = home / ".local/share/tolvarn/Log";
  EXPECT_TRUE(ReadFile(made / "Tolvarn.log").starts_with("Tolvarn Results Log\r\nVersion 4.3\r\n"));
  EXPECT_EQ(fs::status(made / "Tolvarn.log").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(std::distance(fs::directory_iterator(made), {}), 1);
}

// A configuration file or a log that cannot be used ends the run with the window's box: 3 where
// the window ends, 4 where it goes on without the log; --json has the box as "fatal".
TEST_F(CliFiles, AFileThatCannotBeUsedEndsTheRunWithTheWindowsBox) {
  const auto expect_box = [&](int status, const std::string& err) {
    Args args = record_;
    args.push_back("--json");
    const CalcRun run = CalcHere(args);
    EXPECT_EQ(run.status, status);
    EXPECT_TRUE(run.err.starts_with(err)) << run.err;
    if (status != 3) return;
    const Json fatal = run.Parsed()["fatal"];
    EXPECT_EQ(fatal["title"].get<std::string>() + ": " + fatal["text"].get<std::string>() + "\n",
              run.err);
  };
  const std::string config = "Tolvarn Configuration File Error: The configuration file is ";
  fs::remove(dir_ / "Data/Tolvarn.ini");
  expect_box(3, config + "missing or corrupted.\r\n");
  Write("Data/Tolvarn.ini", "# Tolvarn Version 4.3\r\n[Run]\r\nWVCost=abc\r\nSVCost\r\n");
  expect_box(3, config + "corrupted.\r\n");
  Install();
  fs::remove_all(dir_ / "Log");
  expect_box(3, "Tolvarn Log Directory Error: The Log directory does not exist.\r\n");
  fs::create_directories(dir_ / "Log/Tolvarn.log");
  expect_box(4, "Tolvarn Results Log File Error: The results log file is ");
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
  ExpectQuiet("for n in first second; do (for i in $(seq " + std::to_string(kEach) + "); do " +
              Script() + " --log --set Notes=$n --set Item1Use=9 --set Item1UseD=4" +
              " >/dev/null || echo failed; done) & done; wait");
  const std::string log = Log();
  // Every record as the first one after its notes, with the blank lines after it.
  const size_t first = log.find("first\r\n") + 5;
  const std::string body = log.substr(first, log.find("\r\n\r\n\r\n", first) + 6 - first);
  EXPECT_EQ(Count(log, "first" + body), kEach);
  EXPECT_EQ(Count(log, "second" + body), kEach);
  EXPECT_EQ(Count(log, "\nWater Volume Cost"), 2 * kEach);  // nothing else but the header
}

// An entry that cannot be written whole (a full disk, a size limit) is taken back, the error
// dump's too: the log is as it was, byte for byte, and the next entry starts on a line of its
// own. Behind another process that holds the log and never lets go: a failure after a while.
TEST_F(CliFiles, AnEntryThatDoesNotFitLeavesTheLogAsItWas) {
  for (int i = 0; i < 5; ++i)
    ASSERT_EQ(CalcHere(record_).status, 0);
  const std::string logged = Log();
  const size_t limit = (logged.size() / 1024 + 1) * 1024;
  Write("Log/Tolvarn.log", logged + std::string(limit - 10 - logged.size(), '-'));  // 10 short
  const std::string before = Log();
  for (const std::string& fault :
       {"env LC_ALL=C ASAN_OPTIONS=verify_asan_link_order=0 TOLVARN_SHORT_APPENDS=1 LD_PRELOAD=" +
            Quote(TOLVARN_APPEND_FAULTS),
        "exec prlimit --fsize=" + std::to_string(limit) + " env LC_ALL=C",
        "flock " + Quote((dir_ / "Log/Tolvarn.log").string()) +
            " -c 'sleep 12' & sleep 0.5; env LC_ALL=C"}) {
    SCOPED_TRACE(fault);
    const CalcRun cut = CalcHere(record_, fault);
    EXPECT_EQ(cut.status, 4);
    EXPECT_TRUE(cut.err.starts_with("Tolvarn Log File Error: Unable to ")) << cut.err;
    if (!fault.starts_with("flock")) {
      EXPECT_EQ(CalcHere(Words("--no-config " + kFatal), fault).status, 3);
    }
    EXPECT_EQ(Log(), before);
  }
  ASSERT_EQ(CalcHere(record_).status, 0);
  const std::string after = Log();
  ASSERT_TRUE(after.starts_with(before));
  EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(after[before.size()])))
      << after.substr(before.size());  // the date line
}

// A record that its writer says it wrote is never lost to an Archive, however they meet: one
// held up between opening the log and writing to it, and copies appending while the log is
// archived over and over. Each record is in the log or in one archive, once.
TEST_F(CliFiles, ArchivingWhileCopiesLogLosesNoRecord) {
  const std::string log = Script() + " --log --set Item1Use=9 --set Item1UseD=4 --set Notes=";
  ASSERT_EQ(CalcHere(Words("--log Notes=first Item1Use=9 Item1UseD=4")).status, 0);
  ExpectQuiet("(env ASAN_OPTIONS=verify_asan_link_order=0 TOLVARN_SLOW_APPENDS=400 LD_PRELOAD=" +
              Quote(TOLVARN_APPEND_FAULTS) + " " + log +
              "held >/dev/null || echo failed) & sleep 0.1; " + Script() +
              " --archive >/dev/null || echo failed; wait");
  constexpr int kEach = 150;
  // The archives run until the copies are done (bounded, so that a fault cannot hang the test).
  const std::string done = Quote((dir_ / "done").string());
  ExpectQuiet("for n in a b c; do (for i in $(seq " + std::to_string(kEach) + "); do " + log +
              "$n$i. >/dev/null || echo failed; done) & copies=\"$copies $!\"; done; (for k in "
              "$(seq 5000); do [ -e " +
              done + " ] && break; " + Script() +
              " --archive >/dev/null 2>&1; done) & wait $copies; touch " + done + "; wait");
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

// Archive for scripts: the window's Yes, with the archive's full name on stdout; 4 when there
// is no log or nothing in it.
TEST_F(CliFiles, ArchiveFromTheCommandLine) {
  const Args archive = {"--workdir", dir_.string(), "--archive"};
  ASSERT_EQ(RunCalc(archive).status, 4);
  ASSERT_EQ(CalcHere(record_).status, 0);
  const std::string logged = Log();
  const CalcRun archived = RunCalc(archive);
  ASSERT_EQ(archived.status, 0) << archived.err;
  EXPECT_TRUE(archived.out.starts_with((dir_ / "Log/Tolvarn_").string()) &&
              archived.out.ends_with("_1.log\n"))
      << archived.out;
  EXPECT_EQ(ReadFile(archived.out.substr(0, archived.out.size() - 1)), logged);
  EXPECT_EQ(Count(Log(), "Water"), 0u);
  EXPECT_EQ(RunCalc(archive).status, 4);
}

// Every payback option into its input, the last one counting when given twice (--currency too:
// PaybackCalc gives one), and the comparison's members.
TEST(CliPayback, JsonHoldsEveryInputEveryYearAndTheBreakEven) {
  const CalcRun run = PaybackCalc(
      "--json --horizon 9 --horizon 4 --discount=7 --discount 3 --energy-price 0.07 --efficiency "
      "80 --temperature-rise 35 --us-gallons --co2-kwh 0.2 --co2-water 0.3 --item1-energy 0.4 "
      "--item1-hot 60 --item2-energy 0.1 --item2-hot 40 --currency \u20AC");
  ASSERT_EQ(run.status, 0) << run.err;
  const Json json = run.Parsed();
  EXPECT_EQ(json["state"]["CurrencySymbol"], "\u20AC");
  const Json& payback = json["payback"];
  EXPECT_EQ(Keys(payback), "inputs years breakEven headline");
  EXPECT_EQ(
      payback["inputs"].dump(),
      R"({"Horizon":4,"Discount":3.0,"EnergyPrice":0.07,"HeaterEfficiency":80.0,)"
      R"("TemperatureRise":35.0,"USGallons":true,"Co2PerKWh":0.2,"Co2PerCubicMetre":0.3,)"
      R"("Metered":true,"OwnEnergyPrice":null,)"
      R"("item1":{"OwnEnergy":0.4,"HotShare":60.0},"item2":{"OwnEnergy":0.1,"HotShare":40.0}})");
  ASSERT_EQ(payback["years"].size(), 5u);
  EXPECT_EQ(payback["years"][1]["year"], 1);
  EXPECT_EQ(Keys(payback["years"][1]),
            "year item1 item2 difference item1Water item2Water "
            "item1Energy item2Energy item1Co2 item2Co2");
  EXPECT_EQ(Keys(payback["breakEven"]), "item years");
}

// The headline after the record, the comparison as CSV, or, where there is none, nothing.
TEST(CliPayback, RecordAndHeadlineOrCsvOrNothing) {
  // A year's saving of 35.04, discounted by 20 %, does not make up the 35.50.
  EXPECT_EQ(PaybackCalc("--horizon 1 --discount 20").out,
            PaybackCalc("", false).out + "Item 2 does not pay for itself within 1 years.\r\n");
  EXPECT_TRUE(
      PaybackCalc("--json --horizon 1 --discount 20").Parsed()["payback"]["breakEven"].is_null());
  EXPECT_FALSE(PaybackCalc("--json", false).Parsed().contains("payback"));
  // 87.60 a year against 52.56.
  EXPECT_EQ(PaybackCalc("--csv --horizon 2").out,
            "year,item1,item2,difference,item1Water,item2Water,item1Energy,item2Energy,item1Co2,"
            "item2Co2\r\n0,0.00,35.50,-35.50,0.0,0.0,0.000,0.000,0.000,0.000\r\n"
            "1,87.60,88.06,-0.46,58400.0,35040.0,0.000,0.000,0.000,0.000\r\n"
            "2,175.20,140.62,34.58,116800.0,70080.0,0.000,0.000,0.000,0.000\r\n");
  // An item empty, or the checks failed: no comparison.
  const std::string empty = " Item2Use= Item2UseD= Item2Cost=";
  EXPECT_TRUE(PaybackCalc("--json" + empty).Parsed()["payback"].is_null());
  const CalcRun failed = PaybackCalc("--json WVCost=9");
  EXPECT_EQ(failed.status, 2);
  EXPECT_TRUE(failed.Parsed()["payback"].is_null());
  EXPECT_EQ(PaybackCalc("--csv" + empty).err,
            "tolvarn-calc: no payback comparison: it needs both items\n");
  // Figures too large to work out, with the checks inhibited: said so, and no rows.
  const CalcRun huge = PaybackCalc("--csv --inhibit-error-check AnInfT=1e9 PPeriod=1 --horizon 50");
  EXPECT_EQ(huge.status, 2);
  EXPECT_EQ(huge.out.find("\r\n"), huge.out.size() - 2) << huge.out;  // the header alone
  EXPECT_EQ(huge.err, "tolvarn-calc: The payback figures are too large to work out.\n");
}

// Data/Payback.ini's settings, the options given winning, and the file left as it was.
TEST_F(CliFiles, PaybackTakesItsSettingsFromPaybackIniAndWritesNothing) {
  const std::string settings =
      "[Payback]\r\nHorizon=3\r\nDiscount=ten\r\nEnergyPrice=0.3\r\n"
      "Metered=0\r\nOwnEnergyPrice=0.5\r\n";
  Write("Data/Payback.ini", settings);
  const std::string items = " Item1Use=9 Item1UseD=4 Item2Use=6 Item2UseD=4 Item2Cost=300";
  const CalcRun run = CalcHere(Words("--payback --json --energy-price 0.25" + items));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "tolvarn-calc: Payback.ini: Discount was damaged; using 0.\n");
  const Json inputs = run.Parsed()["payback"]["inputs"];
  EXPECT_EQ(Json({inputs["Horizon"], inputs["Discount"], inputs["EnergyPrice"], inputs["Metered"],
                  inputs["OwnEnergyPrice"]})
                .dump(),
            "[3,0.0,0.25,false,0.5]");
  EXPECT_EQ(Read("Data/Payback.ini"), settings);
  const Json given =
      CalcHere(Words("--payback --json --unmetered=false --own-energy-price ''" + items))
          .Parsed()["payback"]["inputs"];
  EXPECT_EQ(given["Metered"], true);
  EXPECT_TRUE(given["OwnEnergyPrice"].is_null());
}

// Two people, cold water at 10 degrees: a mixer shower, an electric shower and a WC used 0.4
// litres a day, with `bill` a year unmetered.
std::string HouseholdIni(const std::string& bill) {
  const std::string shower = "\r\nMinutes=7.5\r\nPerPersonPerWeek=4.4\r\nUseTemperature=40\r\n";
  return "[Household]\r\nPeople=2\r\nColdSupply=10\r\nUnmeteredBill=" + bill +
         "\r\nStandingCharges=50\r\n[Fitting 1]\r\nName=Mixer shower\r\nKind=Shower\r\nFlowRate=8" +
         shower + "[Fitting 2]\r\nName=Electric shower\r\nKind=ElectricShower\r\nFlowRate=5" +
         shower +
         "[Fitting 3]\r\nName=Spare WC\r\nKind=Toilet\r\nFlushVolume=1\r\n"
         "PerPersonPerDay=0.2\r\n";
}

class CliHousehold : public CliFiles {
 protected:
  // The household with `bill`, water 1.50 and sewerage 1.80 at 95 %, the heater's rise 40.
  CalcRun Household(const std::string& bill, const std::string& more, bool listed = true) {
    Write("Data/Household.ini", HouseholdIni(bill));
    return CalcHere(Words(std::string(listed ? "--household " : "") +
                          "WVCost=1.5 SVCost=1.8 SVAllow=95 VRate=0 PPeriod=5 AnInfT=2 "
                          "--energy-price 0.07 --own-energy-price 0.25 --temperature-rise 40 " +
                          more));
  }
};

// Every fitting in full and the bill; without a bill or a tariff, no money: null.
TEST_F(CliHousehold, JsonHoldsEveryFittingAndTheBill) {
  const CalcRun run = Household("400", "--json");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const Json household = run.Parsed()["household"];
  EXPECT_EQ(Keys(household), "people coldSupply fittings litresPerDay litresPerPersonPerDay bill");
  EXPECT_EQ(Keys(household["bill"]),
            "meteredPerYear unmeteredPerYear breakEvenLitresPerDay headline");
  const Json& fittings = household["fittings"];
  ASSERT_EQ(fittings.size(), 3u);
  EXPECT_EQ(Keys(fittings[0]),
            "index name kind litresPerDay ownKWhPerDay heaterKWhPerDay hotShare costPerDay");
  EXPECT_EQ(fittings[1].dump().substr(0, 59),
            R"({"index":2,"name":"Electric shower","kind":"ElectricShower")");
  EXPECT_EQ(fittings[0]["hotShare"], 75);  // 30 of the heater's 40 degrees, in per cent
  // Unmetered, a fitting costs its energy alone.
  EXPECT_LT(
      Household("400", "--json --unmetered").Parsed()["household"]["fittings"][0]["costPerDay"],
      fittings[0]["costPerDay"]);
  const Json none = Household("0", "--json").Parsed()["household"]["bill"];
  EXPECT_TRUE(none["unmeteredPerYear"].is_null() && none["breakEvenLitresPerDay"].is_null());
  // A tariff that fails its checks: litres and kWh, no money.
  const CalcRun failed = Household("400", "--json WVCost=9");
  EXPECT_EQ(failed.status, 2);
  const Json unpriced = failed.Parsed()["household"];
  EXPECT_TRUE(unpriced["bill"]["meteredPerYear"].is_null());
  EXPECT_TRUE(unpriced["fittings"][0]["costPerDay"].is_null());
  EXPECT_EQ(unpriced["fittings"][0]["heaterKWhPerDay"], fittings[0]["heaterKWhPerDay"]);
}

// Without --json, a table after the record; a dash where there is no money.
TEST_F(CliHousehold, ATableWithoutJson) {
  const std::string head = "Household: 2 people, cold supply 10 \u00B0C\r\n # Fitting" +
                           std::string(33, ' ') +
                           " litres/day kWh/day cost/day\r\n 1 Mixer shower" +
                           std::string(28, ' ') + "       75.4   2.924 ";
  const std::string table = Household("400", "").out;
  EXPECT_NE(table.find(head + "   \u00A30.45\r\n"), std::string::npos) << table;
  EXPECT_NE(table.find("\r\nTotal: 123.0 litres a day, 61.5 a person (GB average 142)\r\nMetered "
                       "bill: \u00A3"),
            std::string::npos)
      << table;
  const CalcRun failed = Household("400", "WVCost=9");
  EXPECT_EQ(failed.status, 2);
  EXPECT_NE(failed.out.find(head + "       -\r\n"), std::string::npos) << failed.out;
  EXPECT_NE(failed.out.find("No costs: they need a tariff that passes the data checks.\r\n"),
            std::string::npos);
}

// Compare from the command line: the fittings into the items, then the --set texts, Calculate
// and Payback. The last --use-fitting for an item counts, an option wins over the fitting's
// value, and without --household nothing of the household is printed.
TEST_F(CliHousehold, UseFittingFillsTheItemsForPayback) {
  const CalcRun run =
      Household("400",
                "--use-fitting 2=3 --use-fitting 1=1 --use-fitting 2=2 --item1-hot 50 Item1UseD=2 "
                "Item2Cost=35 --payback --json");
  ASSERT_EQ(run.status, 0) << run.err;
  const Json json = run.Parsed();
  std::string items;
  for (const char* field :
       {"Item1Use", "Item1UseD", "Item1Cost", "Item2Use", "Item2UseD", "Item2Cost"})
    items += (items.empty() ? "" : "|") + json["fields"][field].get<std::string>();
  EXPECT_EQ(items, "75.4|2||47.1|1|\u00A335.00");
  EXPECT_EQ(json["payback"]["inputs"]["item1"].dump(), R"({"OwnEnergy":0.0,"HotShare":50.0})");
  EXPECT_NEAR(json["payback"]["inputs"]["item2"]["OwnEnergy"].get<double>(), 1.644814285714286,
              1e-12);
  const std::string plain = "--use-fitting 1=1 --use-fitting 2=2 Item2Cost=35 --payback";
  const Json listed = Household("0", plain + " --json", false).Parsed();
  EXPECT_FALSE(listed.contains("household"));
  EXPECT_EQ(Household("0", plain, false).out, listed["record"].get<std::string>() +
                                                  listed["payback"]["headline"].get<std::string>() +
                                                  "\r\n");
  // A fitting that cannot fill its item: every reason, and nothing printed.
  ExpectFailure(Household("400", "--use-fitting 1=9 --use-fitting 2=3"), 2,
                "tolvarn-calc: --use-fitting 1=9: the household has 3 fittings\n"
                "tolvarn-calc: --use-fitting 2=3: Spare WC uses less than 1.0 litres a day, too "
                "little to compare\n");
}

// A missing file is an empty household; a damaged value stops the run with every note, so a
// script never gets figures for defaults; a file named is found from the current directory.
TEST_F(CliHousehold, MissingDamagedAndNamedFiles) {
  const auto fittings = [](const CalcRun& run) { return run.Parsed()["household"]["fittings"]; };
  const CalcRun missing = CalcHere({"--household", "--json"});
  EXPECT_EQ(missing.status + missing.err.size() + fittings(missing).size(), 0u) << missing.err;
  Write("Data/Household.ini",
        "[Household]\r\nPeople=two\r\n[Fitting 1]\r\nKind=Shower\r\nFlowRate=40\r\n");
  ExpectFailure(CalcHere({"--household", "--json"}), 2,
                "tolvarn-calc: Household.ini: People was damaged; using 2.\n"
                "tolvarn-calc: Household.ini: [Fitting 1] FlowRate was out of range; using 8.\n");
  fs::create_directory(dir_ / "elsewhere");
  Write("elsewhere/mine.ini", HouseholdIni("0"));
  const std::string in_elsewhere = "cd " + Quote((dir_ / "elsewhere").string()) + " && env";
  EXPECT_EQ(fittings(CalcHere({"--household-file", "mine.ini", "--json"}, in_elsewhere)).size(),
            3u);
  const CalcRun not_there = CalcHere({"--household-file", "none.ini", "--json"}, in_elsewhere);
  EXPECT_EQ(not_there.err, "tolvarn-calc: none.ini: no such file; the household is empty\n");
  EXPECT_EQ(fittings(not_there).size(), 0u);
}

}  // namespace
