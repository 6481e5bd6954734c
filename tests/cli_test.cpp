// tolvarn-calc as a user runs it: a separate process, its output, its exit status.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

namespace {

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

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs tolvarn-calc with the arguments (and environment settings in front of it).
CalcRun Calc(std::initializer_list<std::string> args, const std::string& environment = "LC_ALL=C") {
  const auto dir = std::filesystem::temp_directory_path();
  const auto out = dir / ("tolvarn_cli_out_" + std::to_string(::getpid()));
  const auto err = dir / ("tolvarn_cli_err_" + std::to_string(::getpid()));
  std::string command = "env " + environment + " " + Quote(TOLVARN_CALC) + " --no-config";
  for (const std::string& arg : args)
    command += " " + Quote(arg);
  command += " >" + out.string() + " 2>" + err.string() + " </dev/null";
  const int raw = std::system(command.c_str());
  CalcRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = ReadFile(out);
  run.err = ReadFile(err);
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return run;
}

bool HasLocale(const std::string& name) {
  return std::system(("locale -a 2>/dev/null | grep -qix " + name).c_str()) == 0;
}

TEST(Cli, PrintsTheRecordOfAWorkedExample) {
  const CalcRun run =
      Calc({"--currency", "\u00A3", "--set", "WVCost=1.5", "--set", "PPeriod=5", "--set",
            "Item1Use=9", "--set", "Item1UseD=4", "--set", "Notes=kettle"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(run.out.starts_with("kettle\r\n" + std::string(77, '-') + "\r\n"));
  EXPECT_NE(run.out.find("Water Volume Cost         :  \u00A31.5000 per Cubic Metre\r\n"),
            std::string::npos);
  // 9 litres 4 times a day at 1.50 per cubic metre: 0.054 a day, 98.55 over five years.
  EXPECT_NE(run.out.find("Item 1 Cost       :    \u00A30.054/day,     \u00A34.93/Qtr,      "
                         "\u00A398.55 over  5.0 years\r\n"),
            std::string::npos)
      << run.out;
}

TEST(Cli, JsonShowsTheWholeWindow) {
  const CalcRun run =
      Calc({"--json",     "--currency",    "$",           "--gallons",     "--set",
            "WVCost=2",   "--set",         "AnInfT=10",   "--set",         "PPeriod=2.5",
            "--set",      "Item1Use=9.87", "--set",       "Item1UseD=2.9", "--set",
            "Item2Use=5", "--set",         "Item2UseD=2", "--set",         "Item2Cost=100"});
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json json = run.Json();
  EXPECT_EQ(json["fields"]["Item1Use"], "9.8");
  EXPECT_EQ(json["fields"]["Item1UseD"], "2");
  EXPECT_EQ(json["fields"]["WVCost"], "$2.0000");
  EXPECT_EQ(json["captions"]["VRateH"], "Tax:");
  EXPECT_EQ(json["captions"]["WVChargeL"], "/1000 Gal");
  EXPECT_EQ(json["tooltips"]["VRate"], "Tax Rate (0 or between 1.0 and 50.0%)");
  EXPECT_EQ(json["enabled"]["Save"], true);
  // 32-bit state values read back exactly.
  EXPECT_EQ(json["state"]["InflationFactor"].get<double>(), static_cast<double>(1.21f));
  EXPECT_EQ(json["state"]["InflationSum"].get<double>(), static_cast<double>(2.31f));
  EXPECT_EQ(json["state"]["UnitAbbrev"], "Gal");
  EXPECT_EQ(json["colours"]["PeriodSave"], nlohmann::json({255, 128, 0}));
  EXPECT_EQ(json["record"], json["state"]["RecordBody"]);
  EXPECT_TRUE(json["checkMessages"].empty());
}

TEST(Cli, DataErrorsGoToStderrWithStatusTwo) {
  const CalcRun run = Calc({"--json", "--set", "Item1Use=600", "--set", "Item1UseD=1"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err,
            "Tolvarn Data Error: Payback Period must be between 1.0 and 10.0 years\n"
            "Water Volume Charge per cubic metre must be between 0.1000 and 5.0000\n"
            "Item 1 litres per Use must be between 1.0 and 500.0\n\n");
  EXPECT_EQ(run.Json()["checkMessages"].size(), 3u);
}

TEST(Cli, FatalErrorEndsWithStatusThree) {
  const CalcRun run = Calc({"--json", "--inhibit-error-check", "--set", "Item1Use=5", "--set",
                            "Item1UseD=1", "--set", "WVCost=1"});
  EXPECT_EQ(run.status, 3);
  const nlohmann::json fatal = run.Json()["fatal"];
  EXPECT_EQ(fatal["operation"], "Calaculation Error");
  EXPECT_EQ(fatal["location"], 252);
  EXPECT_EQ(fatal["title"], "Tolvarn Fatal Error");
  EXPECT_EQ(run.err,
            "Tolvarn Fatal Error: Error Number 252\r\nA Fatal Calaculation Error Has Ocurred.\r\n"
            "The Program Will Now Terminate.\n");
}

TEST(Cli, NoDataIsNotAnError) {
  const CalcRun run = Calc({"--set", "WVCost=1", "--set", "PPeriod=1"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
}

TEST(Cli, RejectsWhatItCannotDo) {
  const std::initializer_list<std::string> usage_errors[] = {
      {"--set", "Bogus=1"},
      {"--set", "Item1W=1"},
      {"--set", "WVCost"},
      {"--currency", "EUR"},
      {"--currency", "1"},
      {"--no-such-option"},
      {"--workdir", "/no/such/directory"},
  };
  for (const auto& args : usage_errors) {
    const CalcRun run = Calc(args);
    EXPECT_EQ(run.status, 64) << *args.begin() << " " << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(Calc({"--help"}).status, 0);
}

TEST(Cli, CutsNotesToSeventyFiveCharactersAndSurvivesInvalidText) {
  std::string notes;
  for (int i = 0; i < 80; ++i)
    notes += "\u00E9";
  const CalcRun run = Calc({"--json", "--set", "Notes=" + notes + "\xff", "--set", "WVCost=1",
                            "--set", "PPeriod=1", "--set", "Item1Use=1", "--set", "Item1UseD=1"});
  ASSERT_EQ(run.status, 0) << run.err;
  std::string expected;
  for (int i = 0; i < 75; ++i)
    expected += "\u00E9";
  EXPECT_EQ(run.Json()["fields"]["Notes"], expected);
}

TEST(Cli, TakesTheCurrencyFromTheLocale) {
  struct Case {
    const char* locale;
    const char* symbol;
    const char* label;
  };
  const Case cases[] = {{"C", "\u00A4", "Tax:"},
                        {"en_GB.UTF-8", "\u00A3", "VAT:"},
                        {"en_US.UTF-8", "$", "Tax:"},
                        {"de_DE.UTF-8", "\u20AC", "VAT:"}};
  for (const Case& c : cases) {
    if (std::string(c.locale) != "C" && !HasLocale(std::string(c.locale).replace(6, 5, "utf8"))) {
      ADD_FAILURE() << c.locale << " is not installed (the test command generates it)";
      continue;
    }
    const CalcRun run = Calc({"--json", "--set", "WVCost=1"}, std::string("LC_ALL=") + c.locale);
    const nlohmann::json json = run.Json();
    EXPECT_EQ(json["state"]["CurrencySymbol"], c.symbol) << c.locale;
    EXPECT_EQ(json["captions"]["VRateH"], c.label) << c.locale;
  }
}

}  // namespace
