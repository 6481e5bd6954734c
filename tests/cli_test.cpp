// tolvarn-calc as a process: its options, statuses, JSON's shape, files and their safety.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <nlohmann/json.hpp>
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

// The words of `line` ('' an empty one), a bare "Field=text" setting a field as --set does.
Args Words(const std::string& line) {
  Args words;
  std::istringstream in(line);
  for (std::string word; in >> word;) {
    if (word.find('=') != std::string::npos && !word.starts_with("-") &&
        (words.empty() || (words.back() != "--set" && words.back() != "--use-fitting")))
      words.push_back("--set");
    words.push_back(word == "''" ? "" : word);
  }
  return words;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t found = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++found;
  return found;
}

std::string Keys(const Json& object) {
  std::string keys;
  for (const auto& [key, value] : object.items())
    keys += (keys.empty() ? "" : " ") + key;
  return keys;
}

// Runs `program` under `prefix` (the environment and such), stdout to `out_to` if given.
CalcRun RunProgram(const std::string& program, const Args& args, const std::string& prefix,
                   const std::string& out_to = "") {
  const std::string to = fs::temp_directory_path() / ("tolvarn_cli_" + std::to_string(::getpid()));
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

CalcRun RunCalc(const Args& args, const std::string& prefix = "env LC_ALL=C",
                const std::string& out_to = "") {
  return RunProgram(TOLVARN_CALC, args, prefix, out_to);
}

CalcRun Bash(const std::string& script) {
  return RunProgram("bash", {"-c", script}, "env");
}

// Calculate's fatal error 252: the checks inhibited, and no payback period.
const std::string kFatal = "--inhibit-error-check Item1Use=5 Item1UseD=1 WVCost=1";

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
  EXPECT_TRUE(run.status == status && run.out.empty() && run.err.starts_with(err))
      << run.status << "\n"
      << run.out << run.err;
}

TEST(Cli, JsonShowsTheWholeWindow) {
  const Json json = Calc("--json --currency $ --gallons WVCost=2 AnInfT=10 PPeriod=2.5").Parsed();
  EXPECT_EQ(Keys(json), "fields colours captions tooltips enabled state checkMessages record");
  EXPECT_EQ(json["fields"]["WVCost"], "$2.0000");
  EXPECT_EQ(json["captions"]["WVChargeL"], "/1000 Gal");
  // 32-bit state values read back exactly.
  EXPECT_EQ(json["state"]["InflationFactor"].get<double>(), static_cast<double>(1.21f));
}

// A fatal error ends with status 3, data errors with 2, output that cannot be written with 4 (a
// data error keeps its 2), a usage error with 64; stderr says why, and only --json prints.
TEST(Cli, EachFailureHasItsStatusAndMessage) {
  ExpectFailure(Calc(kFatal), 3,
                "Tolvarn Fatal Error: Error Number 252\r\nA Fatal Calaculation Error Has "
                "Ocurred.\r\nThe Program Will Now Terminate.\n");
  // Payback inputs out of range: all reported, and nothing runs (not even the --set check).
  ExpectFailure(Calc("--payback --horizon 0 --discount lots --item2-hot 101 Bogus=1"), 2,
                "Years shown must be a whole number from 1 to 50.\nDiscount rate must be a "
                "number from 0 to 20.\nItem 2 hot water share must be a number from 0 to 100.\n");
  const std::string usage = "\nRun with --help for more information.\n";
  const std::string csv = "tolvarn-calc: --csv needs --payback, and the payback inputs --payback, ";
  EXPECT_EQ(Calc("--unmetered").err, csv + "--household or --use-fitting" + usage);
  // A comma can begin a number, as the locale's rule says.
  for (const char* args :
       {"--unmetered", "Bogus=1", "Item1W=1", "--set NoEquals", "--currency EUR", "--currency ,",
        "--workdir /no/such/directory", "--csv", "--csv --json --payback", "--payback --save-data",
        "--no-such-option", "--archive --log", "--use-fitting 3=1", "--use-fitting 1=0",
        "--use-fitting 1=one", "--household --payback --csv", "--household --save-data",
        "--household-file ''"}) {
    const CalcRun run = Calc(args);
    ExpectFailure(run, 64, "");
    EXPECT_TRUE(run.err.ends_with(usage)) << args << ": " << run.err;
  }
  EXPECT_EQ(Calc("--json Item1Use=600 Item1UseD=1").Parsed()["checkMessages"].size(), 3u);
  const Json fatal = Calc("--json " + kFatal).Parsed()["fatal"];
  EXPECT_EQ(Keys(fatal), "title text operation location");
  EXPECT_EQ(fatal["location"], 252);
  EXPECT_EQ(fatal["title"].get<std::string>() + ": " + fatal["text"].get<std::string>() + "\n",
            Calc(kFatal).err);
  const Args record = Words("--no-config WVCost=1.5 PPeriod=5 Item1Use=9 Item1UseD=4");
  EXPECT_EQ(RunCalc(record, "env LC_ALL=C", ">/dev/full").err,
            "tolvarn-calc: write error: No space left on device\n");
  const CalcRun closed = RunCalc(record, "env LC_ALL=C", ">&-");
  EXPECT_EQ(closed.status, 4);
  EXPECT_EQ(closed.err, "tolvarn-calc: write error: Bad file descriptor\n");
  EXPECT_EQ(RunCalc(Words("--no-config Item1Use=600"), "env LC_ALL=C", ">/dev/full").status, 2);
}

// Both programs answer --help and --version without a display; the completion is the options'.
TEST(Cli, HelpVersionAndTheCompletion) {
  for (const std::string& program : {std::string(TOLVARN_WINDOW), std::string(TOLVARN_CALC)}) {
    const std::string name = fs::path(program).filename().string();
    const auto run = [&](const std::string& option) {
      return RunProgram(program, {option}, "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM");
    };
    const CalcRun help = run("--help");
    EXPECT_TRUE(help.status == 0 && help.out.find("Report a fault") != std::string::npos) << name;
    EXPECT_TRUE(run("--version").out.starts_with(name + " 4.")) << name;
    EXPECT_EQ(run("--no-such-option").status, 64) << name;
  }
  EXPECT_EQ(Bash("source <(" + Quote(TOLVARN_CALC) +
                 " --bash-completion); for words in '--hor' "
                 "'--set Item2U' '--payback --e' '--house'; do COMP_WORDS=(tolvarn-calc $words); "
                 "COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _tolvarn_calc; echo \"${COMPREPLY[*]}\"; "
                 "done")
                .out,
            "--horizon\nItem2Use= Item2UseD=\n--energy-price --efficiency\n--household "
            "--household-file\n");
}

// A working directory with Data/, Help/ and Log/ and the example configuration file.
class CliFiles : public tolvarn::testing::TempDir {
 protected:
  CliFiles() { Install(); }
  CalcRun CalcHere(Args args, const std::string& prefix = "env LC_ALL=C") {
    args.insert(args.begin(), {"--workdir", dir_.string(), "--currency", "\u00A3"});
    return RunCalc(args, prefix);
  }
  std::string Script() const { return Quote(TOLVARN_CALC) + " --workdir " + Quote(dir_.string()); }
  // `script` must end well and print nothing (a copy that fails says so).
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
TEST_F(CliFiles, TheWorkingDirectoryAndFilesThatCannotBeUsed) {
  const fs::path home = dir_ / "home";
  fs::create_directory(home);
  const std::string in_home =
      "cd " + home.string() + " && env LC_ALL=C HOME=" + home.string() + " XDG_DATA_HOME=";
  // An empty --workdir (an unset variable) is a mistake, never the user's own directory.
  EXPECT_EQ(RunCalc({"--workdir", "", "--save-data"}, in_home).status, 64);
  // A user's directory that cannot be made ends the program; it is no usage error.
  const CalcRun cannot =
      RunCalc({"--json"}, in_home + " XDG_DATA_HOME=" + (dir_ / "Data/Tolvarn.ini/x").string());
  EXPECT_EQ(cannot.status, 3);
  EXPECT_EQ(Keys(cannot.Parsed()["fatal"]), "title text");
  EXPECT_EQ(RunCalc(record_, "umask 077; " + in_home).status, 0);
  const fs::path made = home / ".local/share/tolvarn/Log";
  EXPECT_TRUE(ReadFile(made / "Tolvarn.log").starts_with("Tolvarn Results Log\r\nVersion 4.3\r\n"));
  EXPECT_EQ(fs::status(made / "Tolvarn.log").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  // A Log/ or a log that cannot be used: the window's box, and 3 where the window ends, 4 where
  // it goes on without the log.
  fs::remove_all(dir_ / "Log");
  ExpectFailure(CalcHere(record_), 3, "Tolvarn Log Directory Error: The Log directory does not ");
  fs::create_directories(dir_ / "Log/Tolvarn.log");
  EXPECT_EQ(CalcHere(record_).status, 4);
}

// Killed at any moment, a copy never leaves a damaged file: the configuration file is the old
// one or the new one, whole, and no temporary file stays for good.
using CliKilled = CliFiles;

TEST_F(CliKilled, SaveDataKilledAnywhereLeavesAWholeFile) {
  const auto run_and_kill = [&](const Args& args, double microseconds) {  // 0 would be no limit
    return CalcHere(args, "timeout -s KILL " + std::to_string((microseconds + 1) / 1e6));
  };
  // Kills spread over twice the time a whole save takes here (much longer under sanitizers).
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(run_and_kill({"--save-data"}, 5e6).status, 0);
  const double whole =
      std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
  int seen = 0;  // 1: an old file after a kill, 2: a new one
  std::string old_file = Read("Data/Tolvarn.ini");
  for (int run = 0; run < 200; ++run) {
    const std::string charge = run % 2 == 0 ? "2" : "3";
    run_and_kill(Words("--save-data WVCost=" + charge), whole * ((run * 37) % 200) / 100);
    const std::string now = Read("Data/Tolvarn.ini");
    const bool is_new = now.starts_with("# Tolvarn Version 4.3\r\n# Configuration File\r\n") &&
                        now.ends_with("\r\nWVCost=" + charge + "00\r\n");
    ASSERT_TRUE(now == old_file || is_new) << "run " << run << ":\n" << now;
    seen |= is_new ? 2 : 1;
    old_file = now;
  }
  EXPECT_EQ(seen, 3) << "the kills never caught a save in time, or always did";
  ASSERT_EQ(run_and_kill({"--save-data"}, 5e6).status, 0);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "Data"), {}), 1);
}

// Two copies logging at once: every record arrives whole (as the first), none lost or mixed.
TEST_F(CliFiles, TwoCopiesLoggingAtOnceLoseAndMixNothing) {
  ExpectQuiet("for n in first second; do (for i in $(seq 1000); do " + Script() +
              " --log --set Notes=$n --set Item1Use=9 --set Item1UseD=4 >/dev/null || echo "
              "failed; done) & done; wait");
  const std::string log = Log();
  const size_t first = log.find("first\r\n") + 5;
  const std::string body = log.substr(first, log.find("\r\n\r\n\r\n", first) + 6 - first);
  EXPECT_EQ(Count(log, "first" + body), 1000u);
  EXPECT_EQ(Count(log, "second" + body), 1000u);
  EXPECT_EQ(Count(log, "\nWater Volume Cost"), 2000u);  // nothing else but the header
}

// An entry (or error dump) cut short by a full disk or a size limit, or held up by a process that
// keeps the log locked: a failure, the log as it was, and the next entry on a line of its own.
TEST_F(CliFiles, AnEntryThatDoesNotFitLeavesTheLogAsItWas) {
  ASSERT_EQ(CalcHere(record_).status, 0);
  const size_t limit = (Log().size() / 1024 + 2) * 1024;
  Write("Log/Tolvarn.log", Log() + std::string(limit - 10 - Log().size(), '-'));  // 10 to go
  const std::string before = Log();
  for (const std::string& fault :
       {"env LC_ALL=C ASAN_OPTIONS=verify_asan_link_order=0 TOLVARN_SHORT_APPENDS=1 LD_PRELOAD=" +
            Quote(TOLVARN_APPEND_FAULTS),
        "exec prlimit --fsize=" + std::to_string(limit) + " env LC_ALL=C",
        "flock " + Quote(dir_ / "Log/Tolvarn.log") + " -c 'sleep 12' & sleep 0.5; env LC_ALL=C"}) {
    const CalcRun cut = CalcHere(record_, fault);
    EXPECT_EQ(cut.status, 4) << fault;
    EXPECT_EQ(cut.err,
              "Tolvarn Log File Error: Unable to write to the log file. Tolvarn.log\r\n"
              "This may be a permissions problem.\n");
    if (!fault.starts_with("flock")) {
      EXPECT_EQ(CalcHere(Words("--no-config " + kFatal), fault).status, 3);
    }
    EXPECT_EQ(Log(), before) << fault;
  }
  ASSERT_EQ(CalcHere(record_).status, 0);
  ASSERT_TRUE(Log().starts_with(before));
  EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(Log()[before.size()]))) << Log();
}

// A record its writer says it wrote is never lost to Archive: one held up between opening the log
// and writing, and copies logging while it is archived over and over. Each is in one file, once.
TEST_F(CliFiles, ArchivingWhileCopiesLogLosesNoRecord) {
  const std::string log = Script() + " --log --set Item1Use=9 --set Item1UseD=4 --set Notes=";
  ASSERT_EQ(CalcHere(Words("--log Notes=first Item1Use=9 Item1UseD=4")).status, 0);
  ExpectQuiet("(env ASAN_OPTIONS=verify_asan_link_order=0 TOLVARN_SLOW_APPENDS=400 LD_PRELOAD=" +
              Quote(TOLVARN_APPEND_FAULTS) + " " + log + "held >/dev/null || echo failed) & " +
              "sleep 0.1; " + Script() + " --archive >/dev/null || echo failed; wait");
  const std::string done = Quote(dir_ / "done");
  ExpectQuiet("for n in a b c; do (for i in $(seq 150); do " + log + "$n$i. >/dev/null || echo " +
              "failed; done) & copies=\"$copies $!\"; done; (for k in $(seq 5000); do [ -e " +
              done + " ] && break; " + Script() + " --archive >/dev/null 2>&1; done) & " +
              "wait $copies; touch " + done + "; wait");
  std::string all;
  for (const auto& entry : fs::directory_iterator(dir_ / "Log"))
    all += ReadFile(entry.path());
  EXPECT_EQ(Count(all, "\r\nfirst\r\n") + Count(all, "\r\nheld\r\n"), 2u);
  for (const char* copy : {"a", "b", "c"})
    for (int i = 1; i <= 150; ++i)
      ASSERT_EQ(Count(all, "\r\n" + std::string(copy) + std::to_string(i) + ".\r\n"), 1u)
          << copy << i;
  EXPECT_GT(std::distance(fs::directory_iterator(dir_ / "Log"), {}), 3);
}

// Archive as the window's Yes, printing the archive's full name; 4 without a log or records.
TEST_F(CliFiles, ArchiveFromTheCommandLine) {
  const Args archive = {"--workdir", dir_.string(), "--archive"};
  ASSERT_EQ(RunCalc(archive).status, 4);
  ASSERT_EQ(CalcHere(record_).status, 0);
  const std::string logged = Log();
  const CalcRun archived = RunCalc(archive);
  ASSERT_TRUE(archived.out.starts_with((dir_ / "Log/Tolvarn_").string()) &&
              archived.out.ends_with("_1.log\n"))
      << archived.out << archived.err;
  EXPECT_EQ(ReadFile(archived.out.substr(0, archived.out.size() - 1)), logged);
  EXPECT_EQ(RunCalc(archive).status, 4);
}

// Every payback option into its input, the last one counting when given twice (--currency too:
// PaybackCalc gives one), and the comparison's members.
TEST(CliPayback, JsonRecordAndCsv) {
  const CalcRun run = PaybackCalc(
      "--json --horizon 9 --horizon 4 --discount=7 --discount 3 --energy-price 0.07 --efficiency 80"
      " --temperature-rise 35 --us-gallons --co2-kwh 0.2 --co2-water 0.3 --item1-energy 0.4"
      " --item1-hot 60 --item2-energy 0.1 --item2-hot 40 --currency \u20AC");
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
  EXPECT_EQ(Keys(payback["years"][4]),
            "year item1 item2 difference item1Water item2Water"
            " item1Energy item2Energy item1Co2 item2Co2");
  EXPECT_EQ(Keys(payback["breakEven"]), "item years");
  EXPECT_FALSE(PaybackCalc("--json", false).Parsed().contains("payback"));
  // The headline after the record, or CSV; without a comparison, null or said so.
  // A year's saving of 35.04, discounted by 20 %, does not make up the 35.50.
  EXPECT_EQ(PaybackCalc("--horizon 1 --discount 20").out,
            PaybackCalc("", false).out + "Item 2 does not pay for itself within 1 years.\r\n");
  EXPECT_TRUE(
      PaybackCalc("--json --horizon 1 --discount 20").Parsed()["payback"]["breakEven"].is_null());
  // 87.60 a year against 52.56.
  EXPECT_EQ(PaybackCalc("--csv --horizon 2").out,
            "year,item1,item2,difference,item1Water,item2Water,item1Energy,item2Energy,item1Co2,"
            "item2Co2\r\n0,0.00,35.50,-35.50,0.0,0.0,0.000,0.000,0.000,0.000\r\n"
            "1,87.60,88.06,-0.46,58400.0,35040.0,0.000,0.000,0.000,0.000\r\n"
            "2,175.20,140.62,34.58,116800.0,70080.0,0.000,0.000,0.000,0.000\r\n");
  const std::string empty = " Item2Use= Item2UseD= Item2Cost=";
  EXPECT_TRUE(PaybackCalc("--json" + empty).Parsed()["payback"].is_null());
  EXPECT_TRUE(PaybackCalc("--json WVCost=9").Parsed()["payback"].is_null());
  EXPECT_EQ(PaybackCalc("--csv" + empty).err,
            "tolvarn-calc: no payback comparison: it needs both items\n");
  const CalcRun huge = PaybackCalc("--csv --inhibit-error-check AnInfT=1e9 PPeriod=1 --horizon 50");
  EXPECT_EQ(huge.status, 2);
  EXPECT_EQ(huge.out.find("\r\n"), huge.out.size() - 2) << huge.out;  // the header alone
  EXPECT_EQ(huge.err, "tolvarn-calc: The payback figures are too large to work out.\n");
}

// Data/Payback.ini's settings, the options given winning, and the file left as it was.
TEST_F(CliFiles, PaybackTakesItsSettingsFromPaybackIniAndWritesNothing) {
  const std::string settings =
      "[Payback]\r\nHorizon=3\r\nDiscount=ten\r\nEnergyPrice=0.3\r\nMetered=0\r\n";
  Write("Data/Payback.ini", settings);
  const CalcRun run =
      CalcHere(Words("--payback --json --energy-price 0.25 --unmetered=false --own-energy-price '' "
                     "Item1Use=9 Item1UseD=4 Item2Use=6 Item2UseD=4 Item2Cost=300"));
  EXPECT_EQ(run.err, "tolvarn-calc: Payback.ini: Discount was damaged; using 0.\n");
  const std::string inputs = run.Parsed()["payback"]["inputs"].dump();
  EXPECT_TRUE(inputs.starts_with(R"({"Horizon":3,"Discount":0.0,"EnergyPrice":0.25,)")) << inputs;
  EXPECT_NE(inputs.find(R"("Metered":true,"OwnEnergyPrice":null,)"), std::string::npos) << inputs;
  EXPECT_EQ(Read("Data/Payback.ini"), settings);
}

// Two people: a mixer shower, an electric shower, a WC used 0.4 litres a day; `bill` unmetered.
std::string HouseholdIni(const std::string& bill) {
  const std::string shower =
      "\r\nMinutes=7.5\r\nPerPersonPerWeek=4.4\r\nUseTemperature=40\r\n[Fitting ";
  return "[Household]\r\nPeople=2\r\nColdSupply=10\r\nUnmeteredBill=" + bill +
         "\r\nStandingCharges=50\r\n[Fitting 1]\r\nName=Mixer shower\r\nKind=Shower\r\nFlowRate=8" +
         shower + "2]\r\nName=Electric shower\r\nKind=ElectricShower\r\nFlowRate=5" + shower +
         "3]\r\nName=Spare WC\r\nKind=Toilet\r\nFlushVolume=1\r\nPerPersonPerDay=0.2";
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

// Every fitting and the bill, money null where there is none; without --json, a table.
TEST_F(CliHousehold, ReadsTheFileAndPrintsJsonOrATable) {
  const auto listed = [](const CalcRun& run) { return run.Parsed()["household"]["fittings"]; };
  const CalcRun missing = CalcHere({"--household", "--json"});  // an empty household
  EXPECT_EQ(missing.status + missing.err.size() + listed(missing).size(), 0u) << missing.err;
  const Json household = Household("400", "--json").Parsed()["household"];
  EXPECT_EQ(Keys(household), "people coldSupply fittings litresPerDay litresPerPersonPerDay bill");
  EXPECT_EQ(Keys(household["bill"]),
            "meteredPerYear unmeteredPerYear breakEvenLitresPerDay headline");
  const Json& fittings = household["fittings"];
  ASSERT_EQ(fittings.size(), 3u);
  EXPECT_EQ(Keys(fittings[0]),
            "index name kind litresPerDay ownKWhPerDay heaterKWhPerDay hotShare costPerDay");
  EXPECT_EQ(fittings[1]["kind"], "ElectricShower");
  EXPECT_EQ(fittings[0]["hotShare"], 75);  // 30 of the heater's 40 degrees, in per cent
  const Json none = Household("0", "--json").Parsed()["household"]["bill"];
  EXPECT_TRUE(none["unmeteredPerYear"].is_null() && none["breakEvenLitresPerDay"].is_null());
  const std::string head = "Household: 2 people, cold supply 10 \u00B0C\r\n # Fitting" +
                           std::string(33, ' ') +
                           " litres/day kWh/day cost/day\r\n 1 Mixer shower" +
                           std::string(28, ' ') + "       75.4   2.924 ";
  const std::string table = Household("400", "").out;
  EXPECT_TRUE(table.find(head + "   \u00A30.45\r\n") != std::string::npos &&
              table.ends_with(" a year.\r\n"))
      << table;  // the meter's verdict last
  const std::string failed = Household("400", "WVCost=9").out;
  EXPECT_NE(failed.find(head + "       -\r\n"), std::string::npos) << failed;
  EXPECT_NE(failed.find("\nNo costs: they need a tariff that passes the data checks.\r\n"),
            std::string::npos);
  // A damaged value stops the run with every note, so that a script never gets figures for
  // defaults; a file named is found from the current directory.
  Write("Data/Household.ini",
        "[Household]\r\nPeople=two\r\n[Fitting 1]\r\nKind=Shower\r\nFlowRate=40\r\n");
  ExpectFailure(CalcHere({"--household", "--json"}), 2,
                "tolvarn-calc: Household.ini: People was damaged; using 2.\n"
                "tolvarn-calc: Household.ini: [Fitting 1] FlowRate was out of range; using 8.\n");
  fs::create_directory(dir_ / "elsewhere");
  Write("elsewhere/mine.ini", HouseholdIni("0"));
  const std::string in_elsewhere = "cd " + Quote(dir_ / "elsewhere") + " && env";
  EXPECT_EQ(listed(CalcHere({"--household-file", "mine.ini", "--json"}, in_elsewhere)).size(), 3u);
  EXPECT_EQ(CalcHere({"--household-file", "none.ini", "--json"}, in_elsewhere).err,
            "tolvarn-calc: none.ini: no such file; the household is empty\n");
}

// Compare: the fittings into the items (the last for an item counting, an option winning over
// a fitting's value), then the --set texts; nothing of the household without --household.
TEST_F(CliHousehold, UseFittingFillsTheItemsForPayback) {
  const CalcRun run = Household("400",
                                "--use-fitting 2=3 --use-fitting 1=1 --use-fitting 2=2"
                                " --item1-hot 50 Item1UseD=2 Item2Cost=35 --payback --json");
  const Json json = run.Parsed();
  const Json& f = json["fields"];
  EXPECT_EQ(Json({f["Item1Use"], f["Item1UseD"], f["Item1Cost"], f["Item2Use"], f["Item2UseD"],
                  f["Item2Cost"]})
                .dump(),
            "[\"75.4\",\"2\",\"\",\"47.1\",\"1\",\"\u00A335.00\"]");
  EXPECT_EQ(json["payback"]["inputs"]["item1"].dump(), R"({"OwnEnergy":0.0,"HotShare":50.0})");
  EXPECT_GT(json["payback"]["inputs"]["item2"]["OwnEnergy"], 1.6);  // the electric shower's
  EXPECT_EQ(Household("0", "--use-fitting 1=1 --payback", false).out.find("Household"),
            std::string::npos);
  ExpectFailure(Household("400", "--use-fitting 1=9 --use-fitting 2=3"), 2,
                "tolvarn-calc: --use-fitting 1=9: the household has 3 fittings\n"
                "tolvarn-calc: --use-fitting 2=3: Spare WC uses less than 1.0 litres a day, too "
                "little to compare\n");
}

}  // namespace
