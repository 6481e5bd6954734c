// tolvarn-calc as a user runs it: a separate process, its output, its exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "temp_dir.h"

namespace {

using tolvarn::testing::ReadFile;
namespace fs = std::filesystem;

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

// Runs tolvarn-calc under `prefix` (environment settings and the like). A bare "Field=text"
// argument sets a field, as --set does.
CalcRun RunCalc(const std::vector<std::string>& args, const std::string& prefix = "env LC_ALL=C") {
  const fs::path out = fs::temp_directory_path() / ("tolvarn_cli_" + std::to_string(::getpid()));
  std::string command = prefix + " " + Quote(TOLVARN_CALC);
  // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "literal" + a temporary.
  for (size_t i = 0; i < args.size(); ++i) {
    const bool field = args[i].find('=') != std::string::npos && !args[i].starts_with("-") &&
                       (i == 0 || args[i - 1] != "--set");
    command.append(field ? " --set " : " ").append(Quote(args[i]));
  }
  command += " >" + out.string() + ".out 2>" + out.string() + ".err </dev/null";
  const int raw = std::system(command.c_str());
  CalcRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out.string() + ".out"),
              ReadFile(out.string() + ".err")};
  fs::remove(out.string() + ".out");
  fs::remove(out.string() + ".err");
  return run;
}

// Runs tolvarn-calc without a configuration file.
CalcRun Calc(std::vector<std::string> args) {
  args.insert(args.begin(), "--no-config");
  return RunCalc(args);
}

TEST(Cli, JsonShowsTheWholeWindow) {
  const CalcRun run = Calc({"--json", "--currency", "$", "--gallons", "WVCost=2", "AnInfT=10",
                            "PPeriod=2.5", "Item1Use=9.87", "Item1UseD=2.9"});
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json json = run.Json();
  EXPECT_EQ(json["fields"]["Item1Use"], "9.8");
  EXPECT_EQ(json["fields"]["WVCost"], "$2.0000");
  EXPECT_EQ(json["captions"]["WVChargeL"], "/1000 Gal");
  EXPECT_EQ(json["tooltips"]["VRate"], "Tax Rate (0 or between 1.0 and 50.0%)");
  EXPECT_EQ(json["enabled"]["Save"], true);
  // 32-bit state values read back exactly.
  EXPECT_EQ(json["state"]["InflationFactor"].get<double>(), static_cast<double>(1.21f));
  EXPECT_EQ(json["record"], json["state"]["RecordBody"]);
}

// The worked examples of the help pages (and the README): every figure they show is the
// program's, written as a number of its own in the page.
TEST(Cli, TheWorkedExamplesOfTheHelpPagesAreThePrograms) {
  // Whether the page shows `text` as a figure of its own, not a piece of a longer one.
  const auto shown_in = [](const char* page_name, const std::string& text) {
    const std::string page = ReadFile(fs::path(TOLVARN_HELP_DIR) / page_name);
    const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    for (size_t at = page.find(text); at != std::string::npos; at = page.find(text, at + 1))
      if (!digit(page[at - 1]) && !digit(page[at + text.size()])) return true;
    return false;
  };
  const std::vector<std::string> tariff = {"--json",     "WVCost=1.5", "SVCost=1.8",
                                           "SVAllow=95", "AnInfT=2",   "PPeriod=5"};
  std::vector<std::string> args = tariff;
  args.insert(args.end(), {"--currency", "\u00A3", "Item1Use=65", "Item1UseD=1", "Item2Use=45",
                           "Item2UseD=1", "Item2Cost=450"});
  const nlohmann::json costs = Calc(args).Json();
  for (const char* field : {"Item2WCost", "Item2SCost", "Item2Day", "Item2Qtr", "Item2Period",
                            "Item2W", "Item1Period", "PeriodSave", "PeriodWater"}) {
    const std::string text = costs["fields"][field];
    EXPECT_TRUE(shown_in(
        "costs.htm", text.starts_with("\u00A3") ? "&pound;" + text.substr(2) : text + " litres"))
        << field << " " << text;
  }
  EXPECT_EQ(costs["state"]["CostSaveLabel"], "Cost Increase");

  args = tariff;
  args.insert(args.end(), {"Item1Use=80", "Item1UseD=2", "Item2Use=48", "Item2UseD=2",
                           "Item2Cost=35", "--payback", "--energy-price", "0.07", "--item1-hot",
                           "60", "--item2-hot", "60", "--co2-kwh", "0.18", "--co2-water", "0.34"});
  const nlohmann::json payback = Calc(args).Json()["payback"];
  EXPECT_TRUE(shown_in("payback.htm", payback["headline"].get<std::string>()));
  const auto figure = [&](double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return shown_in("payback.htm", text);
  };
  const nlohmann::json& years = payback["years"];
  for (const char* key : {"item1Energy", "item2Energy", "item1Co2", "item2Co2"})
    EXPECT_TRUE(figure(years[1][key].get<double>(), 1)) << key;
  for (const int year : {1, 3, 15})
    for (const char* key : {"item1", "item2", "difference"})
      EXPECT_TRUE(figure(years[year][key].get<double>(), 2)) << year << " " << key;
  EXPECT_TRUE(figure(payback["breakEven"]["years"].get<double>(), 2));
}

// Data errors end with status 2, a fatal error with 3, what it cannot do with 64; each says why
// on stderr, and only --json writes anything on stdout.
TEST(Cli, EachFailureHasItsStatusAndMessage) {
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err;  // empty: any usage message
  } cases[] = {
      {{"Item1Use=600", "Item1UseD=1"},
       2,
       "Tolvarn Data Error: Payback Period must be between 1.0 and 10.0 years\n"
       "Water Volume Charge per cubic metre must be between 0.1000 and 5.0000\n"
       "Item 1 litres per Use must be between 1.0 and 500.0\n\n"},
      {{"--inhibit-error-check", "Item1Use=5", "Item1UseD=1", "WVCost=1"},
       3,
       "Tolvarn Fatal Error: Error Number 252\r\nA Fatal Calaculation Error Has Ocurred.\r\n"
       "The Program Will Now Terminate.\n"},
      // Payback inputs out of range: all reported, and nothing runs.
      {{"--payback", "--horizon", "0", "--discount", "lots", "--item2-hot", "101", "--efficiency",
        "100"},
       2,
       "Years shown must be a whole number from 1 to 50.\n"
       "Discount rate must be a number from 0 to 20.\n"
       "Item 2 hot water share must be a number from 0 to 100.\n"},
      {{"Bogus=1"}, 64, ""},
      {{"Item1W=1"}, 64, ""},
      {{"--currency", "EUR"}, 64, ""},
      {{"--currency", ","}, 64, ""},  // a comma can begin a number, as the locale's rule says
      {{"--workdir", "/no/such/directory"}, 64, ""},
      {{"--csv"}, 64, ""},
      {{"--payback", "--save-data"}, 64, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.front());
    const CalcRun run = Calc(c.args);
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.out, "");
    if (!c.err.empty()) {
      EXPECT_EQ(run.err, c.err);
    }
  }
  EXPECT_EQ(Calc({"--json", "Item1Use=600", "Item1UseD=1"}).Json()["checkMessages"].size(), 3u);
  EXPECT_EQ(Calc({"--json", "--inhibit-error-check", "Item1Use=5", "Item1UseD=1", "WVCost=1"})
                .Json()["fatal"]["location"],
            252);
  EXPECT_EQ(Calc({"--help"}).status, 0);
}

// A working directory with Data/, Help/ and Log/ and the example configuration file.
class CliFiles : public tolvarn::testing::TempDir {
 protected:
  CliFiles() { Install(); }
  CalcRun CalcHere(std::vector<std::string> args, const std::string& prefix = "env LC_ALL=C") {
    args.insert(args.begin(), {"--workdir", dir_.string(), "--currency", "\u00A3"});
    return RunCalc(args, prefix);
  }
};

// Without --workdir, the user's own directory, made at first use as the window does; the first
// --log makes the log with its whole header, under the user's umask (it holds the user's notes).
TEST_F(CliFiles, FindsItsWorkingDirectoryAsTheWindowDoes) {
  const fs::path home = dir_ / "home";
  fs::create_directory(home);
  const CalcRun run = RunCalc({"--log", "Notes=private", "Item1Use=9", "Item1UseD=4"},
                              "umask 077; cd " + home.string() +
                                  " && env LC_ALL=C HOME=" + home.string() + " XDG_DATA_HOME=");
  EXPECT_EQ(run.status, 0) << run.err;
  const fs::path made = home / ".local/share/tolvarn/Log";
  const std::string log = ReadFile(made / "Tolvarn.log");
  EXPECT_TRUE(log.starts_with("Tolvarn Results Log\r\nVersion 4.3\r\nFile Created\r\n")) << log;
  EXPECT_NE(log.find("\r\nprivate\r\n"), std::string::npos) << log;
  EXPECT_EQ(fs::status(made / "Tolvarn.log").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(std::distance(fs::directory_iterator(made), {}), 1);
}

// Killed at any moment, a copy never leaves a damaged file: the configuration file is the old
// one or the new one, whole, and no temporary file stays for good.
using CliKilled = CliFiles;

TEST_F(CliKilled, SaveDataKilledAnywhereLeavesAWholeFile) {
  // Runs killed after `microseconds` unless they have ended by then (0 would be no limit).
  const auto run_and_kill = [&](std::vector<std::string> args, int microseconds) {
    const std::string seconds = std::to_string(std::max(microseconds, 1) / 1e6);
    return CalcHere(std::move(args), "timeout -s KILL " + seconds);
  };
  // Kills spread over twice the time a whole save takes here (much longer under sanitizers).
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(run_and_kill({"--save-data"}, 5'000'000).status, 0);
  const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);
  std::mt19937 random(200);
  std::uniform_int_distribution<int> delay(0, static_cast<int>(2 * whole.count()));
  std::set<std::string> seen;
  std::string old_file = Read("Data/Tolvarn.ini");
  for (int run = 0; run < 200; ++run) {
    const std::string charge = run % 2 == 0 ? "2" : "3";
    run_and_kill({"--save-data", "WVCost=" + charge}, delay(random));
    // Whole: the old file, or the new one with every line of it.
    const std::string now = Read("Data/Tolvarn.ini");
    const bool is_new = now.starts_with("# Tolvarn Version 4.3\r\n# Configuration File\r\n") &&
                        now.ends_with("\r\nWVCost=" + charge + "00\r\n");
    ASSERT_TRUE(now == old_file || is_new) << "run " << run << ":\n" << now;
    seen.insert(is_new ? "new" : "old");
    old_file = now;
  }
  EXPECT_EQ(seen.size(), 2u) << "the kills never caught a save in time, or always did";
  // Nothing of the killed copies stays once a later save has run.
  ASSERT_EQ(run_and_kill({"--save-data"}, 5'000'000).status, 0);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "Data"), {}), 1);
}

// Two copies logging at once: every record arrives whole, none is lost, none is mixed.
TEST_F(CliFiles, TwoCopiesLoggingAtOnceLoseAndMixNothing) {
  constexpr size_t kEach = 1000;
  const std::string calc = Quote(TOLVARN_CALC) + " --workdir " + Quote(dir_.string()) +
                           " --log --set Notes=$n --set Item1Use=9 --set Item1UseD=4";
  const std::string loops = "for n in first second; do (for i in $(seq " + std::to_string(kEach) +
                            "); do " + calc + " >/dev/null || echo failed; done) & done; wait";
  ASSERT_EQ(std::system(("bash -c " + Quote(loops) + " >" + (dir_ / "failed").string()).c_str()),
            0);
  EXPECT_EQ(Read("failed"), "");
  const std::string log = Read("Log/Tolvarn.log");
  const auto count = [&log](const std::string& what) {
    size_t found = 0;
    for (size_t at = log.find(what); at != std::string::npos; at = log.find(what, at + 1))
      ++found;
    return found;
  };
  // Every record as the first one after its notes, with the blank lines after it.
  const size_t first = log.find("first\r\n") + 5;
  const std::string body = log.substr(first, log.find("\r\n\r\n\r\n", first) + 6 - first);
  EXPECT_EQ(count("first" + body), kEach);
  EXPECT_EQ(count("second" + body), kEach);
  EXPECT_EQ(count("\nWater Volume Cost"), 2 * kEach);  // nothing else but the header
}

// The payback comparison from the command line: 160 litres a day against 96 and 35.50.
CalcRun PaybackCalc(std::vector<std::string> more, bool payback = true) {
  std::vector<std::string> all = {"--currency",  "$",           "WVCost=1.5",
                                  "PPeriod=5",   "Item1Use=80", "Item1UseD=2",
                                  "Item2Use=48", "Item2UseD=2", "Item2Cost=35.5"};
  if (payback) all.push_back("--payback");
  all.insert(all.end(), more.begin(), more.end());
  return Calc(all);
}

TEST(CliPayback, JsonHoldsTheInputsEveryYearAndTheBreakEven) {
  const CalcRun run = PaybackCalc({"--json", "--horizon", "4", "--discount", "3", "--us-gallons",
                                   "--item1-hot", "60", "--energy-price", "0.07"});
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::ordered_json payback = nlohmann::ordered_json::parse(run.out)["payback"];
  EXPECT_EQ(
      payback["inputs"].dump(),
      R"({"Horizon":4,"Discount":3.0,"EnergyPrice":0.07,"HeaterEfficiency":90.0,)"
      R"("TemperatureRise":30.0,"USGallons":true,"Co2PerKWh":0.0,"Co2PerCubicMetre":0.0,)"
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
  EXPECT_EQ(PaybackCalc({"--horizon", "1", "--discount", "20"}).out,
            plain.out + "Item 2 does not pay for itself within 1 years.\r\n");
  EXPECT_FALSE(PaybackCalc({"--json"}, false).Json().contains("payback"));
  // 87.60 a year against 52.56.
  EXPECT_EQ(PaybackCalc({"--csv", "--horizon", "2"}).out,
            "year,item1,item2,difference,item1Water,item2Water,item1Energy,item2Energy,item1Co2,"
            "item2Co2\r\n"
            "0,0.00,35.50,-35.50,0.0,0.0,0.000,0.000,0.000,0.000\r\n"
            "1,87.60,88.06,-0.46,58400.0,35040.0,0.000,0.000,0.000,0.000\r\n"
            "2,175.20,140.62,34.58,116800.0,70080.0,0.000,0.000,0.000,0.000\r\n");
  // An item empty, or the checks failed: no comparison.
  EXPECT_TRUE(
      PaybackCalc({"--json", "Item2Use=", "Item2UseD=", "Item2Cost="}).Json()["payback"].is_null());
  const CalcRun failed = PaybackCalc({"--json", "WVCost=9"});
  EXPECT_EQ(failed.status, 2);
  EXPECT_TRUE(failed.Json()["payback"].is_null());
  // Figures too large to work out, with the checks inhibited: said so, and no rows.
  const CalcRun huge =
      PaybackCalc({"--csv", "--inhibit-error-check", "AnInfT=1e9", "PPeriod=1", "--horizon", "50"});
  EXPECT_EQ(huge.status, 2);
  EXPECT_EQ(huge.out.find("\r\n"), huge.out.size() - 2) << huge.out;  // the header alone
  EXPECT_EQ(huge.err, "tolvarn-calc: The payback figures are too large to work out.\n");
}

TEST_F(CliFiles, PaybackTakesItsSettingsFromPaybackIniAndWritesNothing) {
  const std::string settings = "[Payback]\r\nHorizon=3\r\nDiscount=ten\r\nEnergyPrice=0.3\r\n";
  Write("Data/Payback.ini", settings);
  const CalcRun run = CalcHere({"--payback", "--json", "--energy-price", "0.25", "Item1Use=9",
                                "Item1UseD=4", "Item2Use=6", "Item2UseD=4", "Item2Cost=300"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "tolvarn-calc: Payback.ini: Discount was damaged; using 0.\n");
  const nlohmann::json inputs = run.Json()["payback"]["inputs"];
  EXPECT_EQ(inputs["Horizon"], 3);
  EXPECT_EQ(inputs["Discount"], 0);
  EXPECT_EQ(inputs["EnergyPrice"], 0.25);  // the option wins over the file
  EXPECT_EQ(Read("Data/Payback.ini"), settings);
}

}  // namespace
