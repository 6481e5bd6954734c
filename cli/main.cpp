// tolvarn-calc: the Calculate command without a window, for scripts and batch use.
// Sets the window up as start-up does, puts each --set text into its field, runs Calculate
// once and prints the record (or, with --json, everything the window would show). With
// --payback it adds the payback comparison of what that Calculate compared; with --household,
// the household's fittings and bill, and with --use-fitting, the items filled from them.
#include <fcntl.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/console_message_boxes.h"
#include "core/household.h"
#include "core/memory_field_store.h"
#include "core/number_text.h"
#include "core/payback.h"
#include "core/utf8.h"
#include "files/household_file.h"
#include "files/payback_settings.h"
#include "posix/posix_file_system.h"
#include "posix/posix_platform.h"
#include "posix/throwing_process.h"
#include "posix/working_directory.h"
#include "shell/household_compare.h"
#include "shell/payback_panel.h"
#include "shell/tolvarn_main.h"
#include "version.h"

namespace {

using tolvarn::Field;

constexpr int kExitCalculated = 0;
constexpr int kExitDataErrors = 2;
constexpr int kExitEnded = 3;
constexpr int kExitNotWritten = 4;
constexpr int kExitUsage = 64;

// The user's locale, with the currency symbol replaced when --currency is given.
class CliLocale final : public tolvarn::Locale {
 public:
  explicit CliLocale(std::string symbol) : symbol_(std::move(symbol)) {}
  std::string CurrencySymbol() override {
    return symbol_.empty() ? system_.CurrencySymbol() : symbol_;
  }
  std::string ShortDate(const tolvarn::LocalDateTime& when) override {
    return system_.ShortDate(when);
  }
  std::string MonthAbbreviation(int month) override { return system_.MonthAbbreviation(month); }

 private:
  tolvarn::SystemLocale system_;
  std::string symbol_;
};

struct Assignment {
  Field field;
  std::string text;
};

int UsageError(const std::string& message) {
  std::cerr << "tolvarn-calc: " << message << "\nRun with --help for more information.\n";
  return kExitUsage;
}

bool IsInputField(Field field) {
  return tolvarn::KindOf(field) == tolvarn::FieldKind::Input;
}

nlohmann::ordered_json Report(const tolvarn::TolvarnMain& window,
                              const tolvarn::MemoryFieldStore& fields) {
  using nlohmann::ordered_json;
  ordered_json fields_json = ordered_json::object();
  ordered_json colours = ordered_json::object();
  for (const Field field : tolvarn::AllFields()) {
    const auto kind = tolvarn::KindOf(field);
    const std::string name(tolvarn::FieldName(field));
    if (kind == tolvarn::FieldKind::Input || kind == tolvarn::FieldKind::Result)
      fields_json[name] = fields.Text(field);
    if (kind == tolvarn::FieldKind::Result) {
      const tolvarn::Rgb c = fields.Colour(field);
      colours[name] = {c.r, c.g, c.b};
    }
  }
  ordered_json captions = ordered_json::object();
  for (const Field field :
       {Field::Status, Field::VRateH, Field::Item1UseL, Field::Item2UseL, Field::Item1WatL,
        Field::Item2WatL, Field::ItemWatS, Field::WVChargeL, Field::SVChargeL})
    captions[std::string(tolvarn::FieldName(field))] = fields.Caption(field);
  ordered_json tooltips = ordered_json::object();
  for (const Field field : {Field::WVCost, Field::SVCost, Field::VRate, Field::Item1Use,
                            Field::Item2Use, Field::Item1W, Field::Item2W})
    tooltips[std::string(tolvarn::FieldName(field))] = fields.ToolTip(field);

  const tolvarn::WindowState& s = window.State();
  // 32-bit values are written as the doubles they convert to exactly.
  const auto single = [](float value) { return static_cast<double>(value); };
  ordered_json state = {
      {"ErrorLocation", s.ErrorLocation},
      {"CheckMessages", s.CheckMessages},
      {"InhibitErrorCheck", s.InhibitErrorCheck},
      {"Item1Empty", s.Item1Empty},
      {"Item2Empty", s.Item2Empty},
      {"InflationFactor", single(s.InflationFactor)},
      {"InflationSum", single(s.InflationSum)},
      {"Item1DayWater", s.Item1DayWater},
      {"Item2DayWater", single(s.Item2DayWater)},
      {"DayWaterDiff", single(s.DayWaterDiff)},
      {"Item1QtrWater", single(s.Item1QtrWater)},
      {"Item2QtrWater", single(s.Item2QtrWater)},
      {"QtrWaterDiff", single(s.QtrWaterDiff)},
      {"CostSaveLabel", s.CostSaveLabel},
      {"WaterSaveLabel", s.WaterSaveLabel},
      {"CurrencySymbol", s.CurrencySymbol},
      {"RecordText", s.RecordText},
      {"RecordBody", s.RecordBody},
      {"LastRecordKey", s.LastRecordKey},
      {"LogLevel", s.LogLevel},
      {"RunOnTop", s.RunOnTop},
      {"VUnits", s.VUnits},
      {"AnInf", s.AnInf},
      {"ConfigText", s.ConfigText},
      {"ChargeUnitText", s.ChargeUnitText},
      {"UnitAbbrev", s.UnitAbbrev},
      {"UnitWord", s.UnitWord},
  };
  ordered_json messages = ordered_json::array();
  std::string_view rest = s.CheckMessages;
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    messages.push_back(std::string(rest.substr(0, end)));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  return {{"fields", fields_json},
          {"colours", colours},
          {"captions", captions},
          {"tooltips", tooltips},
          {"enabled",
           {{"Save", fields.IsEnabled(Field::Save)}, {"Timer1", fields.IsEnabled(Field::Timer1)}}},
          {"state", state},
          {"checkMessages", messages},
          {"record", s.RecordBody}};
}

// The payback inputs given on the command line, as typed: checked by the window's own rules,
// so that the messages are the window's.
struct PaybackOption {
  const char* name;
  tolvarn::PaybackInput input;
  const char* help;
};
constexpr PaybackOption kPaybackOptions[] = {
    {"--horizon", tolvarn::PaybackInput::Horizon, "Years the payback comparison shows (1-50)"},
    {"--discount", tolvarn::PaybackInput::Discount, "Discount rate, % a year (0-20)"},
    {"--energy-price", tolvarn::PaybackInput::EnergyPrice,
     "Price of a kWh, taxes included (0-100)"},
    {"--own-energy-price", tolvarn::PaybackInput::OwnEnergyPrice,
     "Price of a kWh of the items' own energy (0-100)"},
    {"--efficiency", tolvarn::PaybackInput::HeaterEfficiency,
     "Water heater efficiency, % (10-500)"},
    {"--temperature-rise", tolvarn::PaybackInput::TemperatureRise,
     "Degrees C the heater warms water by (0-90)"},
    {"--co2-kwh", tolvarn::PaybackInput::Co2PerKWh, "kg CO2e per kWh of energy (0-5)"},
    {"--co2-water", tolvarn::PaybackInput::Co2PerCubicMetre,
     "kg CO2e per 1000 litres supplied (0-10)"},
    {"--item1-energy", tolvarn::PaybackInput::Item1OwnEnergy,
     "kWh item 1 uses itself per use (0-50)"},
    {"--item1-hot", tolvarn::PaybackInput::Item1HotShare,
     "% of item 1's water the heater warms (0-100)"},
    {"--item2-energy", tolvarn::PaybackInput::Item2OwnEnergy,
     "kWh item 2 uses itself per use (0-50)"},
    {"--item2-hot", tolvarn::PaybackInput::Item2HotShare,
     "% of item 2's water the heater warms (0-100)"},
};

nlohmann::ordered_json PaybackJson(const tolvarn::PaybackInputs& inputs,
                                   const tolvarn::PaybackResult& result) {
  using nlohmann::ordered_json;
  const tolvarn::PaybackSettings& s = inputs.settings;
  const auto item = [&](size_t k) {
    return ordered_json{{"OwnEnergy", inputs.items[k].OwnEnergy},
                        {"HotShare", inputs.items[k].HotShare}};
  };
  ordered_json years = ordered_json::array();
  for (const tolvarn::PaybackYear& y : result.years)
    years.push_back({{"year", y.year},
                     {"item1", y.cost[0]},
                     {"item2", y.cost[1]},
                     {"difference", y.difference},
                     {"item1Water", y.water[0]},
                     {"item2Water", y.water[1]},
                     {"item1Energy", y.energy[0]},
                     {"item2Energy", y.energy[1]},
                     {"item1Co2", y.co2[0]},
                     {"item2Co2", y.co2[1]}});
  ordered_json break_even = nullptr;
  if (result.breakEven)
    break_even = {{"item", result.breakEven->item}, {"years", result.breakEven->years}};
  return {{"inputs",
           {{"Horizon", s.Horizon},
            {"Discount", s.Discount},
            {"EnergyPrice", s.EnergyPrice},
            {"HeaterEfficiency", s.HeaterEfficiency},
            {"TemperatureRise", s.TemperatureRise},
            {"USGallons", s.USGallons},
            {"Co2PerKWh", s.Co2PerKWh},
            {"Co2PerCubicMetre", s.Co2PerCubicMetre},
            {"Metered", s.Metered},
            {"OwnEnergyPrice", s.OwnEnergyPrice ? ordered_json(*s.OwnEnergyPrice) : nullptr},
            {"item1", item(0)},
            {"item2", item(1)}}},
          {"years", years},
          {"breakEven", break_even},
          {"headline", result.headline}};
}

// The household as JSON: every figure in full precision, money null without a tariff.
nlohmann::ordered_json HouseholdJson(const tolvarn::Household& household,
                                     const tolvarn::HouseholdFigures& figures) {
  using nlohmann::ordered_json;
  const auto maybe = [](const std::optional<double>& value) {
    return value ? ordered_json(*value) : ordered_json(nullptr);
  };
  ordered_json fittings = ordered_json::array();
  for (size_t i = 0; i < household.fittings.size(); ++i) {
    const tolvarn::Fitting& fitting = household.fittings[i];
    const tolvarn::FittingFigures& f = figures.fittings[i];
    fittings.push_back({{"index", i + 1},
                        {"name", fitting.Name},
                        {"kind", std::string(tolvarn::KindInfo(fitting.Kind).name)},
                        {"litresPerDay", f.litresPerDay},
                        {"ownKWhPerDay", f.ownKWhPerDay},
                        {"heaterKWhPerDay", f.heaterKWhPerDay},
                        {"hotShare", 100 * f.hotShare},
                        {"costPerDay", maybe(f.costPerDay)}});
  }
  return {{"people", household.settings.People},
          {"coldSupply", household.settings.ColdSupply},
          {"fittings", fittings},
          {"litresPerDay", figures.litresPerDay},
          {"litresPerPersonPerDay", figures.litresPerPersonPerDay},
          {"bill",
           {{"meteredPerYear", maybe(figures.meteredPerYear)},
            {"unmeteredPerYear", maybe(figures.unmeteredPerYear)},
            {"breakEvenLitresPerDay", maybe(figures.breakEvenLitresPerDay)},
            {"headline", figures.headline}}}};
}

// `text` padded with blanks to `width` characters, on the left when `right`.
std::string Padded(std::string_view text, size_t width, bool right) {
  const size_t length = tolvarn::utf8::Length(text);
  const std::string blanks(length < width ? width - length : 0, ' ');
  return right ? blanks + std::string(text) : std::string(text) + blanks;
}

// The household as a short table, with the record's line ends.
std::string HouseholdTable(const tolvarn::Household& household,
                           const tolvarn::HouseholdFigures& figures, std::string_view currency) {
  using tolvarn::FormatFixed;
  const tolvarn::HouseholdSettings& s = household.settings;
  std::string table = "Household: " + std::to_string(s.People) +
                      (s.People == 1 ? " person" : " people") + ", cold supply " +
                      tolvarn::TextOf(s.ColdSupply) + " \u00B0C\r\n";
  table += " # " + Padded("Fitting", tolvarn::kMaxFittingNameLength, false) +
           " litres/day kWh/day cost/day\r\n";
  bool costs = true;
  for (size_t i = 0; i < household.fittings.size(); ++i) {
    const tolvarn::FittingFigures& f = figures.fittings[i];
    const std::string cost = f.costPerDay ? tolvarn::MoneyText(*f.costPerDay, currency) : "-";
    costs = costs && f.costPerDay;
    table += Padded(std::to_string(i + 1), 2, true) + " " +
             Padded(household.fittings[i].Name, tolvarn::kMaxFittingNameLength, false) + " " +
             Padded(FormatFixed(f.litresPerDay, 1), 10, true) + " " +
             Padded(FormatFixed(f.ownKWhPerDay + f.heaterKWhPerDay, 3), 7, true) + " " +
             Padded(cost, 8, true) + "\r\n";
  }
  table += "Total: " + FormatFixed(figures.litresPerDay, 1) + " litres a day, " +
           FormatFixed(figures.litresPerPersonPerDay, 1) + " a person (GB average " +
           tolvarn::TextOf(tolvarn::kAverageLitresPerPersonPerDay) + ")\r\n";
  if (!costs || !figures.meteredPerYear)
    table += "No costs: they need a tariff that passes the data checks.\r\n";
  if (figures.meteredPerYear)
    table +=
        "Metered bill: " + tolvarn::MoneyText(*figures.meteredPerYear, currency) + " a year\r\n";
  if (figures.unmeteredPerYear)
    table += "Unmetered bill: " + tolvarn::MoneyText(*figures.unmeteredPerYear, currency) +
             " a year\r\n";
  if (figures.breakEvenLitresPerDay)
    table += "A meter breaks even at " + FormatFixed(*figures.breakEvenLitresPerDay, 1) +
             " litres a day.\r\n";
  if (!figures.headline.empty()) table += figures.headline + "\r\n";
  return table;
}

// "ITEM=N" of --use-fitting: the item (1 or 2) and the fitting's number (from 1), or none.
std::optional<std::pair<size_t, size_t>> UseFitting(std::string_view text) {
  if (text.size() < 3 || (text[0] != '1' && text[0] != '2') || text[1] != '=') return std::nullopt;
  const std::string_view digits = text.substr(2);
  if (digits.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
  size_t number = 0;
  // Past the most fittings a household keeps, every number is as far out of range.
  for (const char c : digits)
    number = std::min<size_t>(number * 10 + static_cast<size_t>(c - '0'), 1000);
  if (number == 0) return std::nullopt;
  return std::pair<size_t, size_t>(static_cast<size_t>(text[0] - '0'), number);
}

// --use-fitting: puts each chosen fitting into its item as Compare does (its use, uses a day
// and an empty cost, which a later --set can change) with its payback values, unless those were
// given as options. Returns the reasons it could not, one each, changing nothing then.
std::vector<std::string> FillItems(
    const tolvarn::Household& household, const std::array<size_t, 2>& fitting_of_item,
    const tolvarn::PaybackInputs& typed,
    const std::array<CLI::Option*, tolvarn::kPaybackInputCount>& payback_given,
    tolvarn::MemoryFieldStore& fields, tolvarn::PaybackInputs& payback_inputs) {
  const bool gallons = fields.CheckValue(Field::VolUnits1) == 1;
  // The litres, energy and hot share need no tariff.
  const tolvarn::HouseholdFigures figures =
      tolvarn::WorkOutHousehold(household, payback_inputs.settings, std::nullopt, "");
  std::vector<std::string> messages;
  std::array<std::optional<tolvarn::ComparedFitting>, 2> compared;
  for (size_t k = 0; k < 2; ++k) {
    const size_t number = fitting_of_item[k];
    if (number == 0) continue;
    const std::string option =
        "tolvarn-calc: --use-fitting " + std::to_string(k + 1) + "=" + std::to_string(number);
    if (number > household.fittings.size()) {
      messages.push_back(option + ": the household has " +
                         std::to_string(household.fittings.size()) + " fittings");
      continue;
    }
    compared[k] = tolvarn::CompareFitting(figures.fittings[number - 1], gallons,
                                          payback_inputs.settings.USGallons);
    if (!compared[k])
      messages.push_back(option + ": " + household.fittings[number - 1].Name +
                         " uses less than 1.0 " + (gallons ? "gallons" : "litres") +
                         " a day, too little to compare");
    else if (!tolvarn::FitsOneItem(*compared[k]))
      messages.push_back(option + ": " + household.fittings[number - 1].Name + " " +
                         std::string(tolvarn::kTooMuchForOneItem));
  }
  if (!messages.empty()) return messages;
  constexpr std::array<std::array<tolvarn::PaybackInput, 2>, 2> kItemInputs = {{
      {tolvarn::PaybackInput::Item1OwnEnergy, tolvarn::PaybackInput::Item1HotShare},
      {tolvarn::PaybackInput::Item2OwnEnergy, tolvarn::PaybackInput::Item2HotShare},
  }};
  tolvarn::PaybackInputs filled = payback_inputs;
  for (size_t k = 0; k < 2; ++k) {
    if (!compared[k]) continue;
    // The item's values as the Payback window is given them: as text, read back.
    const std::array<std::string, 2> texts = tolvarn::PaybackItemTexts(*compared[k]);
    for (size_t v = 0; v < 2; ++v) {
      const tolvarn::PaybackInput input = kItemInputs[k][v];
      const bool given = payback_given[static_cast<size_t>(input)]->count() > 0;
      tolvarn::SetPaybackInput(filled, input,
                               given ? tolvarn::PaybackInputValue(typed, input)
                                     : std::optional(tolvarn::StrictTextValue(texts[v])));
    }
  }
  messages = tolvarn::CheckPaybackInputs(filled);
  if (!messages.empty()) return messages;
  for (size_t k = 0; k < 2; ++k)
    if (compared[k]) tolvarn::PutFittingIntoItem(fields, static_cast<int>(k + 1), *compared[k], "");
  payback_inputs = filled;
  return {};
}

std::string Dump(const nlohmann::ordered_json& json) {
  // Field texts are whatever the user typed: never let invalid UTF-8 stop the report.
  return json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

// Standard streams that the caller closed are opened on /dev/null, so that no file the program
// opens takes their place; stdout and stderr read-only, so that writing to them still fails.
void KeepStandardStreamsOpen() {
  for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
    const int opened = ::open("/dev/null", O_RDONLY);
    if (opened >= 0 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
}

// Writes what the program prints and closes stdout: a full disk, a closed stdout or /dev/full
// make the run a failure that says so, never a silent success.
int Deliver(std::string_view out, int status) {
  bool written = true;
  while (written && !out.empty()) {
    const ssize_t put = ::write(STDOUT_FILENO, out.data(), out.size());
    if (put < 0 && errno == EINTR) continue;
    if (put == 0) errno = EIO;  // nothing written, and no reason given
    written = put > 0;
    if (written) out.remove_prefix(static_cast<size_t>(put));
  }
  if (written && ::close(STDOUT_FILENO) != 0 && errno != EBADF) written = false;
  if (written) return status;
  const std::string message =
      std::string("tolvarn-calc: write error: ") + std::strerror(errno) + '\n';
  std::fwrite(message.data(), 1, message.size(), stderr);
  // A run that failed already keeps its own status.
  return status == kExitCalculated ? kExitNotWritten : status;
}

// A bash completion script made from the option table itself, so that it never differs from
// what the program takes: option names, the field names after --set, folders after --workdir,
// files after --household-file, the items after --use-fitting.
std::string BashCompletion(const CLI::App& app) {
  std::string options;
  std::string with_values;
  for (const CLI::Option* option : app.get_options()) {
    const std::string name = option->get_name(false, true);
    if (name.empty() || option->get_group().empty()) continue;
    for (const std::string& one : option->get_lnames()) {
      options += " --" + one;
      if (option->get_items_expected_min() > 0) with_values += "|--" + one;
    }
  }
  std::string fields;
  for (const Field field : tolvarn::AllFields())
    if (IsInputField(field)) fields += " " + std::string(tolvarn::FieldName(field)) + "=";
  return "# bash completion for tolvarn-calc, made by tolvarn-calc from its own options\n"
         "_tolvarn_calc() {\n"
         "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
         "  case $prev in\n"
         "    --workdir) COMPREPLY=($(compgen -d -- \"$cur\")); return ;;\n"
         "    --household-file) COMPREPLY=($(compgen -f -- \"$cur\")); return ;;\n"
         "    --use-fitting) compopt -o nospace; COMPREPLY=($(compgen -W \"1= 2=\" -- \"$cur\")); "
         "return ;;\n"
         "    --set) compopt -o nospace; COMPREPLY=($(compgen -W \"" +
         fields.substr(1) +
         "\" -- \"$cur\")); return ;;\n"
         "    " +
         with_values.substr(1) +
         ") return ;;\n"
         "  esac\n"
         "  COMPREPLY=($(compgen -W \"" +
         options.substr(1) +
         "\" -- \"$cur\"))\n"
         "}\n"
         "complete -F _tolvarn_calc tolvarn-calc\n";
}

// The program, with what it prints on stdout gathered in `out`.
int Run(int argc, char** argv, std::string& out) {
  CLI::App app{
      "Works out the running costs of two water-using appliances, as the Tolvarn\n"
      "window's Calculate command does, and prints the results record.",
      "tolvarn-calc"};
  app.get_formatter()->column_width(28);
  app.footer(
      "Given twice, an option counts as the last one; each --set is applied, in order.\n"
      "Each --use-fitting fills its item, as Compare does, before the --set texts.\n"
      "Exit status: 0 done, 2 the data checks failed, 3 the program ended, 4 the\n"
      "record, a file or stdout could not be written, 64 a usage error.\n"
      "Report a fault to the maker: " +
      std::string(tolvarn::kWebSiteBase));
  std::string workdir;
  bool no_config = false;
  std::vector<std::string> sets;
  bool gallons = false;
  std::string currency;
  bool inhibit = false;
  bool json = false;
  bool log = false;
  bool save_data = false;
  CLI::Option* workdir_given =
      app.add_option("--workdir", workdir, "Folder of Data/ and Log/ (default: as tolvarn)")
          ->type_name("DIR");
  app.add_flag("--no-config", no_config, "Start from empty fields, not Data/Tolvarn.ini");
  app.add_option("--set", sets, "Put TEXT into input field NAME (repeatable)")
      ->type_name("NAME=TEXT")
      ->allow_extra_args(false);
  app.add_flag("--gallons", gallons, "Tick Volume Units: gallons, per 1000 gallons");
  app.add_option("--currency", currency, "Use SYMBOL (one character) as the currency")
      ->type_name("SYMBOL");
  app.add_flag("--inhibit-error-check", inhibit, "Calculate without the data checks");
  app.add_flag("--json", json, "Print all the window would show, as JSON");
  app.add_flag("--log", log, "Append the record to Log/Tolvarn.log");
  app.add_flag("--save-data", save_data, "Save Data (the tariff to Data/Tolvarn.ini)");
  bool payback = false;
  bool csv = false;
  bool us_gallons = false;
  app.add_flag("--payback", payback, "Add the payback comparison (Data/Payback.ini)");
  app.add_flag("--csv", csv, "With --payback, print the comparison as CSV");
  std::array<std::string, tolvarn::kPaybackInputCount> payback_texts;
  std::array<CLI::Option*, tolvarn::kPaybackInputCount> payback_given{};
  for (const PaybackOption& option : kPaybackOptions) {
    const auto i = static_cast<size_t>(option.input);
    payback_given[i] = app.add_option(option.name, payback_texts[i], option.help)
                           ->type_name("NUMBER")
                           ->allow_extra_args(false);
  }
  CLI::Option* us_gallons_given =
      app.add_flag("--us-gallons", us_gallons, "A gallon is a US one (--us-gallons=false: UK)");
  bool unmetered = false;
  CLI::Option* unmetered_given =
      app.add_flag("--unmetered", unmetered, "Unmetered water: only the energy counts");
  bool household = false;
  std::string household_file;
  std::vector<std::string> use_fittings;
  app.add_flag("--household", household, "Add the household (Data/Household.ini)");
  CLI::Option* household_file_given =
      app.add_option("--household-file", household_file, "--household, read from FILE")
          ->type_name("FILE");
  app.add_option("--use-fitting", use_fittings, "Fill item ITEM (1 or 2) from fitting N")
      ->type_name("ITEM=N")
      ->allow_extra_args(false);
  // GNU programs take options in order: given twice, the last one counts. Each --set is applied,
  // and each --use-fitting counts for its item, the last one for an item winning.
  for (CLI::Option* option : app.get_options())
    if (option->get_name() != "--set" && option->get_name() != "--use-fitting" &&
        option->get_name() != "--help")
      option->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  bool version = false;
  app.add_flag("--version", version, "Print the version and end");
  bool archive = false;
  app.add_flag("--archive", archive, "Archive the log as the window's Archive does");
  // For the build: the completion script, made from the options above. Not in --help.
  bool completion = false;
  app.add_flag("--bash-completion", completion)->group("");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    std::ostringstream help;
    const int status = app.exit(error, help, std::cerr);
    out += help.str();
    return status == 0 ? 0 : kExitUsage;
  }
  if (completion) {
    out += BashCompletion(app);
    return kExitCalculated;
  }
  if (version) {
    out += "tolvarn-calc " + std::string(tolvarn::kVersionText) + "\n";
    return kExitCalculated;
  }
  // Archive is a command of its own: it takes the working directory alone.
  if (archive)
    for (const CLI::Option* option : app.get_options())
      if (option->count() > 0 && option != workdir_given && option->get_name() != "--archive")
        return UsageError("--archive takes no other option but --workdir");

  // A household file named is a household asked for.
  if (household_file_given->count() > 0) household = true;
  // The household needs the payback settings too: its heater, its energy prices, its gallon.
  const bool read_household = household || !use_fittings.empty();
  const bool payback_settings = payback || read_household;
  bool payback_option_given = us_gallons_given->count() > 0 || unmetered_given->count() > 0;
  for (const CLI::Option* option : payback_given)
    payback_option_given = payback_option_given || option->count() > 0;
  if ((csv && !payback) || (payback_option_given && !payback_settings))
    return UsageError(
        "--csv needs --payback, and the payback inputs --payback, --household or --use-fitting");
  if (payback && save_data) return UsageError("--payback runs with Calculate, not --save-data");
  if (read_household && save_data)
    return UsageError("--household and --use-fitting run with Calculate, not --save-data");
  if (csv && json) return UsageError("--csv and --json cannot be used together");
  if (csv && household) return UsageError("--household cannot be printed with --csv");
  if (household_file_given->count() > 0 && household_file.empty())
    return UsageError("--household-file needs the name of a file");
  // The fitting each item is filled from (0: none).
  std::array<size_t, 2> fitting_of_item{};
  for (const std::string& use : use_fittings) {
    const auto parsed = UseFitting(use);
    if (!parsed) return UsageError("--use-fitting needs ITEM=N (ITEM 1 or 2, N from 1): " + use);
    fitting_of_item[parsed->first - 1] = parsed->second;
  }

  // The payback inputs typed here are checked before anything else happens, so that a
  // mistake in them leaves every file as it was. The settings file's values, read later, are
  // in range already.
  tolvarn::PaybackInputs typed;
  if (payback_settings) {
    std::array<std::string, tolvarn::kPaybackInputCount> texts;
    for (size_t i = 0; i < texts.size(); ++i)
      texts[i] = payback_given[i]->count() > 0
                     ? payback_texts[i]
                     : tolvarn::PaybackInputText({}, tolvarn::PaybackInputTable()[i].input);
    const std::vector<std::string> messages = tolvarn::CheckPaybackInputs(texts, typed);
    for (const std::string& message : messages)
      std::cerr << message << '\n';
    if (!messages.empty()) return kExitDataErrors;
  }

  std::vector<Assignment> assignments;
  for (const std::string& set : sets) {
    const size_t equals = set.find('=');
    if (equals == std::string::npos) return UsageError("--set needs NAME=TEXT: " + set);
    const auto field = tolvarn::FieldFromName(set.substr(0, equals));
    if (!field || !IsInputField(*field))
      return UsageError("--set names no input field: " + set.substr(0, equals));
    std::string text = set.substr(equals + 1);
    if (*field == Field::Notes)
      text = std::string(tolvarn::utf8::Take(text, tolvarn::utf8::kNotesLimit));
    assignments.push_back({*field, std::move(text)});
  }
  if (!currency.empty()) {
    if (tolvarn::utf8::Length(currency) != 1 || tolvarn::CanBeginNumber(currency))
      return UsageError("--currency takes one character that cannot begin a number");
  }
  // The window's rule for the working directory; without the configuration file or the log
  // there is nothing to look for (and nothing is created).
  tolvarn::ConsoleMessageBoxes boxes;
  std::string root;
  const bool household_here = read_household && household_file_given->count() == 0;
  if (workdir_given->count() > 0 || !no_config || log || save_data || archive || household_here) {
    const tolvarn::WorkingDirectory found = tolvarn::ResolveWorkingDirectory(
        workdir_given->count() > 0 ? std::optional<std::string>(workdir) : std::nullopt);
    if (found.bad_request) return UsageError(found.error);
    if (found.path.empty()) {
      // The user's own directory could not be made: the window's fatal box, not a usage error.
      boxes.Show({"Tolvarn", found.error, tolvarn::BoxIcon::Stop, tolvarn::BoxButtons::Ok});
      if (json) out += Dump({{"fatal", {{"title", "Tolvarn"}, {"text", found.error}}}}) + '\n';
      return kExitEnded;
    }
    root = found.path;
  }

  tolvarn::MemoryFieldStore fields;
  tolvarn::SystemClock clock;
  CliLocale locale(currency);
  tolvarn::ThrowingProcess process;
  tolvarn::PosixFileSystem files(root);
  tolvarn::NoLauncher launcher;
  tolvarn::HeadlessWindow host;
  tolvarn::TolvarnMain window(fields, {boxes, clock, locale, process, files, launcher, host});

  tolvarn::PaybackInputs payback_inputs;
  if (payback_settings) {
    if (!no_config) {
      tolvarn::PaybackSettingsReading reading = tolvarn::ReadPaybackSettings(files);
      for (const std::string& problem : reading.problems)
        std::cerr << "tolvarn-calc: " << problem << '\n';
      payback_inputs.settings = reading.settings;
    }
    for (const tolvarn::PaybackInputInfo& info : tolvarn::PaybackInputTable())
      if (payback_given[static_cast<size_t>(info.input)]->count() > 0)
        tolvarn::SetPaybackInput(payback_inputs, info.input,
                                 tolvarn::PaybackInputValue(typed, info.input));
    if (us_gallons_given->count() > 0) payback_inputs.settings.USGallons = us_gallons;
    if (unmetered_given->count() > 0) payback_inputs.settings.Metered = !unmetered;
  }

  // The household: a script must not be given figures for defaults it never asked for, so any
  // value or fitting the file reading had to replace or leave out stops the run, as a value
  // out of range does (the window keeps reading forgivingly).
  tolvarn::Household the_household;
  if (read_household) {
    // As --workdir, a file named here is found from the current directory.
    tolvarn::PosixFileSystem here("");
    const tolvarn::HouseholdReading reading = household_here
                                                  ? tolvarn::ReadHousehold(files)
                                                  : tolvarn::ReadHousehold(here, household_file);
    for (const std::string& problem : reading.problems)
      std::cerr << "tolvarn-calc: " << problem << '\n';
    if (!household_here && !reading.found)
      std::cerr << "tolvarn-calc: " << household_file << ": no such file; the household is empty\n";
    const std::vector<std::string> messages = tolvarn::CheckHousehold(reading.household);
    for (const std::string& message : messages)
      std::cerr << message << '\n';
    if (!messages.empty() || !reading.problems.empty()) return kExitDataErrors;
    the_household = reading.household;
  }
  std::optional<tolvarn::TariffReading> tariff_now;
  int boxes_before_command = 0;
  try {
    if (archive) {
      window.Start(false, false);
      const std::optional<std::string> name = window.ArchiveLog();
      if (!name) return kExitNotWritten;
      out += root + '/' + *name + '\n';
      return kExitCalculated;
    }
    window.Start(inhibit, !no_config);
    if (gallons) window.SetCheckBox(Field::VolUnits1, 1);
    if (fitting_of_item[0] != 0 || fitting_of_item[1] != 0) {
      const std::vector<std::string> messages =
          FillItems(the_household, fitting_of_item, typed, payback_given, fields, payback_inputs);
      for (const std::string& message : messages)
        std::cerr << message << '\n';
      if (!messages.empty()) return kExitDataErrors;
    }
    // A calculation is logged only with --log, whatever the configuration says about Auto Save
    // (which Save Data keeps as the configuration has it).
    if (!save_data) window.SetCheckBox(Field::AutoSave, log ? 1 : 0);
    if (log) window.CreateResultsLog();
    for (const Assignment& assignment : assignments)
      fields.SetText(assignment.field, assignment.text);
    // Read before Calculate, which rewrites the tariff in its display format.
    if (household) tariff_now = window.ReadTariffNow();
    boxes_before_command = boxes.Count();
    if (save_data)
      window.Save_Defaults_Click();
    else
      window.Calc_Click();
  } catch (const tolvarn::ProgramEnded& ended) {
    if (json) {
      nlohmann::ordered_json fatal = nlohmann::ordered_json::object();
      if (const auto& box = boxes.LastBox()) {
        fatal["title"] = box->title;
        fatal["text"] = box->text;
      }
      if (const auto& report = window.LastFatalError()) {
        fatal["operation"] = report->operation;
        fatal["location"] = report->location;
      }
      out += Dump({{"fatal", fatal}}) + '\n';
    }
    return ended.status;
  }

  // The comparison of a Calculate that compared both items; none after any other outcome.
  std::optional<tolvarn::PaybackResult> compared;
  if (payback && window.State().LastComparison)
    compared = tolvarn::WorkOutPayback(*window.State().LastComparison, payback_inputs);

  std::optional<tolvarn::HouseholdFigures> household_figures;
  if (household) {
    household_figures = tolvarn::WorkOutHousehold(
        the_household, payback_inputs.settings, tariff_now->tariff, window.State().CurrencySymbol);
    // The tariff's messages that Calculate did not give already (it skips the sewerage rule
    // after an item's mistake).
    for (const std::string& message : tariff_now->messages)
      if (window.State().CheckMessages.find(message) == std::string::npos)
        std::cerr << "tolvarn-calc: no household costs: " << message << '\n';
  }

  if (json) {
    nlohmann::ordered_json report = Report(window, fields);
    if (household) report["household"] = HouseholdJson(the_household, *household_figures);
    if (payback) report["payback"] = compared ? PaybackJson(payback_inputs, *compared) : nullptr;
    out += Dump(report) + '\n';
  } else if (csv) {
    if (compared)
      out += tolvarn::PaybackCsv(*compared);
    else if (window.State().CheckMessages.empty())
      std::cerr << "tolvarn-calc: no payback comparison: it needs both items\n";
  } else if (!save_data) {
    out += window.State().RecordBody;
    // The headline on a line of its own after the record, with the record's line end.
    if (compared) out += compared->headline + "\r\n";
    if (household)
      out += HouseholdTable(the_household, *household_figures, window.State().CurrencySymbol);
  }
  if (!window.State().CheckMessages.empty()) return kExitDataErrors;
  // Figures too large to work out (only with the checks inhibited) are a data error too.
  if (compared && !compared->ok) {
    if (csv) std::cerr << "tolvarn-calc: " << compared->headline << '\n';
    return kExitDataErrors;
  }
  // Past the checks, a box can only say that the log or the file could not be written.
  return boxes.Count() > boxes_before_command ? kExitNotWritten : kExitCalculated;
}

}  // namespace

int main(int argc, char** argv) {
  // A file size limit or a reader that went away is a write that fails and is reported, not
  // the end of the program half-way through an entry.
  std::signal(SIGXFSZ, SIG_IGN);
  std::signal(SIGPIPE, SIG_IGN);
  KeepStandardStreamsOpen();
  std::string out;
  const int status = Run(argc, argv, out);
  return Deliver(out, status);
}
