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
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "cli/console_message_boxes.h"
#include "cli/reports.h"
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
using tolvarn::PaybackInput;
using namespace tolvarn::cli;

// The exit statuses, as the footer of --help lists them. A run that stops early throws Stop
// (through UsageError and StopOnDataErrors, or the window's own ending); one that gets to its
// end has its status from FinishedStatus; Deliver makes an output it could not write a 4.
constexpr int kExitCalculated = 0;
constexpr int kExitDataErrors = 2;
constexpr int kExitEnded = 3;
constexpr int kExitNotWritten = 4;
constexpr int kExitUsage = 64;

// A run that ends before its end, once stderr says why.
struct Stop {
  int status;
};

[[noreturn]] void UsageError(const std::string& message) {
  std::cerr << "tolvarn-calc: " << message << "\nRun with --help for more information.\n";
  throw Stop{kExitUsage};
}

// The messages of a data check, one a line; any message ends the run.
void StopOnDataErrors(const std::vector<std::string>& messages) {
  for (const std::string& message : messages)
    std::cerr << message << '\n';
  if (!messages.empty()) throw Stop{kExitDataErrors};
}

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

// What the command line says, as the option table below fills it in.
struct Options {
  std::string workdir;
  bool no_config = false;
  std::vector<std::string> sets;
  bool gallons = false;
  std::string currency;
  bool inhibit = false;
  bool json = false;
  bool log = false;
  bool save_data = false;
  bool payback = false;
  bool csv = false;
  // The payback inputs as typed (indexed as PaybackInput): checked by the window's own rules,
  // so that the messages are the window's.
  std::array<std::string, tolvarn::kPaybackInputCount> payback_texts;
  bool us_gallons = false;
  bool unmetered = false;
  bool household = false;
  std::string household_file;
  std::vector<std::string> use_fittings;
  bool version = false;
  bool archive = false;
  bool completion = false;
  const CLI::App* app = nullptr;

  bool Given(const std::string& name) const { return app->count(name) > 0; }
  bool Given(PaybackInput input) const;
  bool ReadsHousehold() const { return household || !use_fittings.empty(); }
  // The household needs the payback settings too: its heater, its energy prices, its gallon.
  bool PaybackSettings() const { return payback || ReadsHousehold(); }
  bool HouseholdHere() const { return ReadsHousehold() && !Given("--household-file"); }
  // Without the configuration file or the log there is nothing to look for (and nothing is
  // created).
  bool NeedsWorkingDirectory() const {
    return Given("--workdir") || !no_config || log || save_data || archive || HouseholdHere();
  }
};

// The option table, in the order --help lists it. A payback input's range comes from the
// window's table.
using OptionTarget = std::variant<bool Options::*, std::string Options::*,
                                  std::vector<std::string> Options::*, PaybackInput>;
struct OptionRow {
  const char* name;
  OptionTarget target;
  const char* help = "";
  const char* value_name = "";
  // GNU programs take options in order: given twice, the last one counts. Each --set is
  // applied, and each --use-fitting counts for its item, the last one for an item winning.
  bool last_counts = true;
  bool listed = true;  // in --help and in the completion
};
constexpr OptionRow kOptionTable[] = {
    {"--workdir", &Options::workdir, "Folder of Data/ and Log/ (default: as tolvarn)", "DIR"},
    {"--no-config", &Options::no_config, "Start from empty fields, not Data/Tolvarn.ini"},
    {"--set", &Options::sets, "Put TEXT into input field NAME (repeatable)", "NAME=TEXT", false},
    {"--gallons", &Options::gallons, "Tick Volume Units: gallons, per 1000 gallons"},
    {"--currency", &Options::currency, "Use SYMBOL (one character) as the currency", "SYMBOL"},
    {"--inhibit-error-check", &Options::inhibit, "Calculate without the data checks"},
    {"--json", &Options::json, "Print all the window would show, as JSON"},
    {"--log", &Options::log, "Append the record to Log/Tolvarn.log"},
    {"--save-data", &Options::save_data, "Save Data (the tariff to Data/Tolvarn.ini)"},
    {"--payback", &Options::payback, "Add the payback comparison (Data/Payback.ini)"},
    {"--csv", &Options::csv, "With --payback, print the comparison as CSV"},
    {"--horizon", PaybackInput::Horizon, "Years the payback comparison shows", "NUMBER"},
    {"--discount", PaybackInput::Discount, "Discount rate, % a year", "NUMBER"},
    {"--energy-price", PaybackInput::EnergyPrice, "Price of a kWh, taxes included", "NUMBER"},
    {"--own-energy-price", PaybackInput::OwnEnergyPrice, "Price of a kWh of the items' own energy",
     "NUMBER"},
    {"--efficiency", PaybackInput::HeaterEfficiency, "Water heater efficiency, %", "NUMBER"},
    {"--temperature-rise", PaybackInput::TemperatureRise, "Degrees C the heater warms water by",
     "NUMBER"},
    {"--co2-kwh", PaybackInput::Co2PerKWh, "kg CO2e per kWh of energy", "NUMBER"},
    {"--co2-water", PaybackInput::Co2PerCubicMetre, "kg CO2e per 1000 litres supplied", "NUMBER"},
    {"--item1-energy", PaybackInput::Item1OwnEnergy, "kWh item 1 uses itself per use", "NUMBER"},
    {"--item1-hot", PaybackInput::Item1HotShare, "% of item 1's water the heater warms", "NUMBER"},
    {"--item2-energy", PaybackInput::Item2OwnEnergy, "kWh item 2 uses itself per use", "NUMBER"},
    {"--item2-hot", PaybackInput::Item2HotShare, "% of item 2's water the heater warms", "NUMBER"},
    {"--us-gallons", &Options::us_gallons, "A gallon is a US one (--us-gallons=false: UK)"},
    {"--unmetered", &Options::unmetered, "Unmetered water: only the energy counts"},
    {"--household", &Options::household, "Add the household (Data/Household.ini)"},
    {"--household-file", &Options::household_file, "--household, read from FILE", "FILE"},
    {"--use-fitting", &Options::use_fittings, "Fill item ITEM (1 or 2) from fitting N", "ITEM=N",
     false},
    {"--version", &Options::version, "Print the version and end", "", false},
    {"--archive", &Options::archive, "Archive the log as the window's Archive does", "", false},
    // For the build: the completion script, made from the options above.
    {"--bash-completion", &Options::completion, "", "", false, false},
};

bool Options::Given(PaybackInput input) const {
  for (const OptionRow& row : kOptionTable)
    if (const auto* held = std::get_if<PaybackInput>(&row.target); held && *held == input)
      return Given(row.name);
  return false;
}

void AddOption(CLI::App& app, Options& options, const OptionRow& row) {
  CLI::Option* option = std::visit(
      [&](auto target) -> CLI::Option* {
        using Target = decltype(target);
        if constexpr (std::is_same_v<Target, PaybackInput>) {
          const tolvarn::PaybackInputInfo& info =
              tolvarn::PaybackInputTable()[static_cast<size_t>(target)];
          return app
              .add_option(row.name, options.payback_texts[static_cast<size_t>(target)],
                          std::string(row.help) + " (" + tolvarn::TextOf(info.minimum) + "-" +
                              tolvarn::TextOf(info.maximum) + ")")
              ->allow_extra_args(false);
        } else if constexpr (std::is_same_v<Target, bool Options::*>) {
          return app.add_flag(row.name, options.*target, row.help);
        } else if constexpr (std::is_same_v<Target, std::string Options::*>) {
          return app.add_option(row.name, options.*target, row.help);
        } else {
          return app.add_option(row.name, options.*target, row.help)->allow_extra_args(false);
        }
      },
      row.target);
  if (*row.value_name != '\0') option->type_name(row.value_name);
  if (row.last_counts) option->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  if (!row.listed) option->group("");
}

bool IsInputField(Field field) {
  return tolvarn::KindOf(field) == tolvarn::FieldKind::Input;
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
std::vector<std::string> FillItems(const tolvarn::Household& household,
                                   const std::array<size_t, 2>& fitting_of_item,
                                   const tolvarn::PaybackInputs& typed, const Options& options,
                                   tolvarn::MemoryFieldStore& fields,
                                   tolvarn::PaybackInputs& payback_inputs) {
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
      tolvarn::SetPaybackInput(filled, input,
                               options.Given(input)
                                   ? tolvarn::PaybackInputValue(typed, input)
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

// The window as start-up sets it up, on the console and the files under `root`.
struct Session {
  Session(const std::string& root, const std::string& currency) : locale(currency), files(root) {}

  // Runs `steps` on the window. The window's ending ends the run with its status, and with
  // --json the fatal box and report on stdout.
  template <class Steps>
  void Guarded(bool json, std::string& out, const Steps& steps) {
    try {
      steps();
    } catch (const tolvarn::ProgramEnded& ended) {
      if (json) out += FatalJson(boxes.LastBox(), window.LastFatalError());
      throw Stop{ended.status};
    }
  }

  tolvarn::ConsoleMessageBoxes boxes;
  tolvarn::MemoryFieldStore fields;
  tolvarn::SystemClock clock;
  CliLocale locale;
  tolvarn::ThrowingProcess process;
  tolvarn::PosixFileSystem files;
  tolvarn::NoLauncher launcher;
  tolvarn::HeadlessWindow host;
  tolvarn::TolvarnMain window{fields, {boxes, clock, locale, process, files, launcher, host}};
};

// The window's rule for the working directory. One that cannot be made ends the run as the
// window's fatal box does; it is not a usage error.
std::string FindWorkingDirectory(const Options& options, std::string& out) {
  const tolvarn::WorkingDirectory found = tolvarn::ResolveWorkingDirectory(
      options.Given("--workdir") ? std::optional<std::string>(options.workdir) : std::nullopt);
  if (found.bad_request) UsageError(found.error);
  if (found.path.empty()) {
    tolvarn::ConsoleMessageBoxes boxes;
    boxes.Show({"Tolvarn", found.error, tolvarn::BoxIcon::Stop, tolvarn::BoxButtons::Ok});
    if (options.json) out += FatalJson(boxes.LastBox(), std::nullopt);
    throw Stop{kExitEnded};
  }
  return found.path;
}

// Archive, a command of its own: it takes the working directory alone, and prints the archive's
// name.
int Archive(const Options& options, std::string& out) {
  for (const CLI::Option* option : options.app->get_options())
    if (option->count() > 0 && option->get_name() != "--workdir" &&
        option->get_name() != "--archive")
      UsageError("--archive takes no other option but --workdir");
  const std::string root = FindWorkingDirectory(options, out);
  Session session(root, options.currency);
  std::optional<std::string> name;
  session.Guarded(options.json, out, [&] {
    session.window.Start(false, false);
    name = session.window.ArchiveLog();
  });
  if (!name) return kExitNotWritten;
  out += root + '/' + *name + '\n';
  return kExitCalculated;
}

struct Assignment {
  Field field;
  std::string text;
};

// What Calculate needs that can be made ready before the window starts.
struct Prepared {
  std::array<size_t, 2> fitting_of_item{};  // the fitting each item is filled from (0: none)
  tolvarn::PaybackInputs typed;
  std::vector<Assignment> assignments;
  tolvarn::PaybackInputs payback;
  tolvarn::Household household;
};

// The options that cannot go together, and the items --use-fitting fills.
std::array<size_t, 2> CheckCombinations(const Options& options) {
  bool payback_option_given = options.Given("--us-gallons") || options.Given("--unmetered");
  for (const tolvarn::PaybackInputInfo& info : tolvarn::PaybackInputTable())
    payback_option_given = payback_option_given || options.Given(info.input);
  if ((options.csv && !options.payback) || (payback_option_given && !options.PaybackSettings()))
    UsageError(
        "--csv needs --payback, and the payback inputs --payback, --household or --use-fitting");
  if (options.payback && options.save_data)
    UsageError("--payback runs with Calculate, not --save-data");
  if (options.ReadsHousehold() && options.save_data)
    UsageError("--household and --use-fitting run with Calculate, not --save-data");
  if (options.csv && options.json) UsageError("--csv and --json cannot be used together");
  if (options.csv && options.household) UsageError("--household cannot be printed with --csv");
  if (options.Given("--household-file") && options.household_file.empty())
    UsageError("--household-file needs the name of a file");
  std::array<size_t, 2> fitting_of_item{};
  for (const std::string& use : options.use_fittings) {
    const auto parsed = UseFitting(use);
    if (!parsed) UsageError("--use-fitting needs ITEM=N (ITEM 1 or 2, N from 1): " + use);
    fitting_of_item[parsed->first - 1] = parsed->second;
  }
  return fitting_of_item;
}

// The payback inputs typed here are checked before anything else happens, so that a mistake in
// them leaves every file as it was. The settings file's values, read later, are in range
// already.
tolvarn::PaybackInputs TypedPaybackInputs(const Options& options) {
  tolvarn::PaybackInputs typed;
  if (!options.PaybackSettings()) return typed;
  std::array<std::string, tolvarn::kPaybackInputCount> texts;
  for (const tolvarn::PaybackInputInfo& info : tolvarn::PaybackInputTable()) {
    const auto i = static_cast<size_t>(info.input);
    texts[i] = options.Given(info.input) ? options.payback_texts[i]
                                         : tolvarn::PaybackInputText({}, info.input);
  }
  StopOnDataErrors(tolvarn::CheckPaybackInputs(texts, typed));
  return typed;
}

// The --set texts, each for an input field, and the --currency symbol checked.
std::vector<Assignment> Assignments(const Options& options) {
  std::vector<Assignment> assignments;
  for (const std::string& set : options.sets) {
    const size_t equals = set.find('=');
    if (equals == std::string::npos) UsageError("--set needs NAME=TEXT: " + set);
    const auto field = tolvarn::FieldFromName(set.substr(0, equals));
    if (!field || !IsInputField(*field))
      UsageError("--set names no input field: " + set.substr(0, equals));
    std::string text = set.substr(equals + 1);
    if (*field == Field::Notes)
      text = std::string(tolvarn::utf8::Take(text, tolvarn::utf8::kNotesLimit));
    assignments.push_back({*field, std::move(text)});
  }
  if (!options.currency.empty() &&
      (tolvarn::utf8::Length(options.currency) != 1 || tolvarn::CanBeginNumber(options.currency)))
    UsageError("--currency takes one character that cannot begin a number");
  return assignments;
}

// The payback settings: Data/Payback.ini's (unless --no-config), the options given winning.
tolvarn::PaybackInputs PaybackInputsOf(const Options& options, tolvarn::FileSystem& files,
                                       const tolvarn::PaybackInputs& typed) {
  tolvarn::PaybackInputs inputs;
  if (!options.no_config) {
    tolvarn::PaybackSettingsReading reading = tolvarn::ReadPaybackSettings(files);
    for (const std::string& problem : reading.problems)
      std::cerr << "tolvarn-calc: " << problem << '\n';
    inputs.settings = reading.settings;
  }
  for (const tolvarn::PaybackInputInfo& info : tolvarn::PaybackInputTable())
    if (options.Given(info.input))
      tolvarn::SetPaybackInput(inputs, info.input, tolvarn::PaybackInputValue(typed, info.input));
  if (options.Given("--us-gallons")) inputs.settings.USGallons = options.us_gallons;
  if (options.Given("--unmetered")) inputs.settings.Metered = !options.unmetered;
  return inputs;
}

// The household: a script must not be given figures for defaults it never asked for, so any
// value or fitting the file reading had to replace or leave out stops the run, as a value out
// of range does (the window keeps reading forgivingly).
tolvarn::Household HouseholdOf(const Options& options, tolvarn::FileSystem& files) {
  // As --workdir, a file named here is found from the current directory.
  tolvarn::PosixFileSystem current("");
  const bool here = options.HouseholdHere();
  const tolvarn::HouseholdReading reading =
      here ? tolvarn::ReadHousehold(files)
           : tolvarn::ReadHousehold(current, options.household_file);
  for (const std::string& problem : reading.problems)
    std::cerr << "tolvarn-calc: " << problem << '\n';
  if (!here && !reading.found)
    std::cerr << "tolvarn-calc: " << options.household_file
              << ": no such file; the household is empty\n";
  StopOnDataErrors(tolvarn::CheckHousehold(reading.household));
  if (!reading.problems.empty()) throw Stop{kExitDataErrors};
  return reading.household;
}

// What the command came to.
struct Ran {
  std::optional<tolvarn::TariffReading> tariff_now;
  int boxes_before_command = 0;
};

// Start-up, the items filled from the household, the field texts, then Calculate or Save Data.
Ran RunCommand(const Options& options, Session& session, Prepared& prepared, std::string& out) {
  Ran ran;
  tolvarn::TolvarnMain& window = session.window;
  session.Guarded(options.json, out, [&] {
    window.Start(options.inhibit, !options.no_config);
    if (options.gallons) window.SetCheckBox(Field::VolUnits1, 1);
    if (prepared.fitting_of_item[0] != 0 || prepared.fitting_of_item[1] != 0)
      StopOnDataErrors(FillItems(prepared.household, prepared.fitting_of_item, prepared.typed,
                                 options, session.fields, prepared.payback));
    // A calculation is logged only with --log, whatever the configuration says about Auto
    // Save (which Save Data keeps as the configuration has it).
    if (!options.save_data) window.SetCheckBox(Field::AutoSave, options.log ? 1 : 0);
    if (options.log) window.CreateResultsLog();
    for (const Assignment& assignment : prepared.assignments)
      session.fields.SetText(assignment.field, assignment.text);
    // Read before Calculate, which rewrites the tariff in its display format.
    if (options.household) ran.tariff_now = window.ReadTariffNow();
    ran.boxes_before_command = session.boxes.Count();
    if (options.save_data)
      window.Save_Defaults_Click();
    else
      window.Calc_Click();
  });
  return ran;
}

void Print(const Options& options, const Session& session, const Prepared& prepared,
           const std::optional<tolvarn::PaybackResult>& compared,
           const std::optional<tolvarn::HouseholdFigures>& figures, std::string& out) {
  const tolvarn::WindowState& state = session.window.State();
  if (options.json) {
    nlohmann::ordered_json report = Report(session.window, session.fields);
    if (options.household) report["household"] = HouseholdJson(prepared.household, *figures);
    if (options.payback)
      report["payback"] = compared ? PaybackJson(prepared.payback, *compared) : nullptr;
    out += Dump(report) + '\n';
  } else if (options.csv) {
    if (compared)
      out += tolvarn::PaybackCsv(*compared);
    else if (state.CheckMessages.empty())
      std::cerr << "tolvarn-calc: no payback comparison: it needs both items\n";
  } else if (!options.save_data) {
    out += state.RecordBody;
    // The headline on a line of its own after the record, with the record's line end.
    if (compared) out += compared->headline + "\r\n";
    if (options.household)
      out += HouseholdTable(prepared.household, *figures, state.CurrencySymbol);
  }
}

// The status of a command that got to its end.
int FinishedStatus(const Options& options, const Session& session,
                   const std::optional<tolvarn::PaybackResult>& compared, const Ran& ran) {
  if (!session.window.State().CheckMessages.empty()) return kExitDataErrors;
  // Figures too large to work out (only with the checks inhibited) are a data error too.
  if (compared && !compared->ok) {
    if (options.csv) std::cerr << "tolvarn-calc: " << compared->headline << '\n';
    return kExitDataErrors;
  }
  // Past the checks, a box can only say that the log or the file could not be written.
  return session.boxes.Count() > ran.boxes_before_command ? kExitNotWritten : kExitCalculated;
}

int Calculate(Options& options, std::string& out) {
  // A household file named is a household asked for.
  if (options.Given("--household-file")) options.household = true;
  Prepared prepared;
  prepared.fitting_of_item = CheckCombinations(options);
  prepared.typed = TypedPaybackInputs(options);
  prepared.assignments = Assignments(options);
  Session session(options.NeedsWorkingDirectory() ? FindWorkingDirectory(options, out) : "",
                  options.currency);
  if (options.PaybackSettings())
    prepared.payback = PaybackInputsOf(options, session.files, prepared.typed);
  if (options.ReadsHousehold()) prepared.household = HouseholdOf(options, session.files);
  const Ran ran = RunCommand(options, session, prepared, out);

  const tolvarn::WindowState& state = session.window.State();
  // The comparison of a Calculate that compared both items; none after any other outcome.
  std::optional<tolvarn::PaybackResult> compared;
  if (options.payback && state.LastComparison)
    compared = tolvarn::WorkOutPayback(*state.LastComparison, prepared.payback);
  std::optional<tolvarn::HouseholdFigures> figures;
  if (options.household) {
    figures = tolvarn::WorkOutHousehold(prepared.household, prepared.payback.settings,
                                        ran.tariff_now->tariff, state.CurrencySymbol);
    // The tariff's messages that Calculate did not give already (it skips the sewerage rule
    // after an item's mistake).
    for (const std::string& message : ran.tariff_now->messages)
      if (state.CheckMessages.find(message) == std::string::npos)
        std::cerr << "tolvarn-calc: no household costs: " << message << '\n';
  }
  Print(options, session, prepared, compared, figures, out);
  return FinishedStatus(options, session, compared, ran);
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
  Options options;
  options.app = &app;
  for (const OptionRow& row : kOptionTable)
    AddOption(app, options, row);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    std::ostringstream help;
    const int status = app.exit(error, help, std::cerr);
    out += help.str();
    return status == 0 ? kExitCalculated : kExitUsage;
  }
  try {
    if (options.completion) {
      out += BashCompletion(app);
      return kExitCalculated;
    }
    if (options.version) {
      out += "tolvarn-calc " + std::string(tolvarn::kVersionText) + "\n";
      return kExitCalculated;
    }
    return options.archive ? Archive(options, out) : Calculate(options, out);
  } catch (const Stop& stop) {
    return stop.status;
  }
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
