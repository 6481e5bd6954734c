// Data/Household.ini, read forgivingly section by section and written as a whole by one atomic
// replace.
#include "files/household_file.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <utility>

#include "core/checked_math.h"
#include "core/number_text.h"
#include "core/runtime_failure.h"
#include "core/text.h"
#include "core/utf8.h"
#include "files/settings_file.h"

namespace tolvarn {
namespace {

constexpr std::string_view kFileName = "Household.ini";
constexpr std::string_view kHouseholdSection = "Household";
constexpr std::string_view kFittingSection = "Fitting";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// The length of the valid UTF-8 character at text[pos], or 0 where none starts: overlong
// forms, surrogates and code points past U+10FFFF are not valid (utf8.h is laxer, as it only
// has to count).
size_t ValidCharBytes(std::string_view text, size_t pos) {
  const auto byte = [&](size_t i) {
    return pos + i < text.size() ? static_cast<unsigned char>(text[pos + i]) : 0u;
  };
  const unsigned lead = byte(0);
  unsigned low = 0x80, high = 0xBF;  // the range of the second byte
  size_t length = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (byte(1) < low || byte(1) > high) return 0;
  for (size_t i = 2; i < length; ++i)
    if ((byte(i) & 0xC0) != 0x80) return 0;
  return length;
}

struct Kept {
  std::string name;
  bool replaced = false;  // bytes that were not UTF-8
  bool cut = false;       // longer than 40 characters
};

Kept Keep(std::string_view name) {
  Kept kept;
  std::string clean;
  clean.reserve(name.size());
  for (size_t pos = 0; pos < name.size();) {
    const size_t length = ValidCharBytes(name, pos);
    if (length == 0) {
      clean += kReplacement;
      kept.replaced = true;
      ++pos;
      continue;
    }
    const auto c = static_cast<unsigned char>(name[pos]);
    if (length == 1 && (c < 0x20 || c == 0x7F))
      clean += ' ';
    else
      clean.append(name, pos, length);
    pos += length;
  }
  std::string_view trimmed = Trimmed(clean);
  if (utf8::Length(trimmed) > kMaxFittingNameLength) {
    // Valid UTF-8 by now, so Take cuts between characters.
    trimmed = Trimmed(utf8::Take(trimmed, kMaxFittingNameLength));
    kept.cut = true;
  }
  kept.name = trimmed;
  return kept;
}

double Setting(const HouseholdSettings& s, HouseholdInput input) {
  switch (input) {
    case HouseholdInput::People:
      return s.People;
    case HouseholdInput::ColdSupply:
      return s.ColdSupply;
    case HouseholdInput::UnmeteredBill:
      return s.UnmeteredBill;
    case HouseholdInput::StandingCharges:
      return s.StandingCharges;
  }
  return 0;
}
// People is whole by then.
void Put(HouseholdSettings& s, HouseholdInput input, double value) {
  switch (input) {
    case HouseholdInput::People:
      s.People = static_cast<int>(value);
      break;
    case HouseholdInput::ColdSupply:
      s.ColdSupply = value;
      break;
    case HouseholdInput::UnmeteredBill:
      s.UnmeteredBill = value;
      break;
    case HouseholdInput::StandingCharges:
      s.StandingCharges = value;
      break;
  }
}

bool KnownKind(FittingKind kind) {
  return static_cast<size_t>(kind) < kFittingKindCount;
}

// Notes are gathered with their line and put in the file's order at the end.
class Reader {
 public:
  explicit Reader(HouseholdReading& reading) : reading_(reading) {}

  void Read(const SettingsDocument& document) {
    for (const int line : document.damagedLines)
      Note(line, "line " + std::to_string(line) + " was damaged; ignored.");
    for (const SettingsSection& section : document.sections) {
      if (section.line == 0) continue;  // keys before any section belong to none
      if (section.damaged) {
        Note(section.line, "line " + std::to_string(section.line) +
                               " was damaged; the section it begins was left out.");
      } else if (section.name == kHouseholdSection) {
        ReadSettings(section);
      } else if (IsFittingSection(section.name)) {
        ReadFitting(section);
      }
      // Any other section is a newer version's or a slip, and is left alone.
    }
    for (auto& [number, fitting] : fittings_)
      reading_.household.fittings.push_back(std::move(fitting.second));
    reading_.problems = InLineOrder(std::move(notes_));
  }

 private:
  static bool IsFittingSection(std::string_view name) {
    if (!name.starts_with(kFittingSection)) return false;
    name.remove_prefix(kFittingSection.size());
    return name.empty() || name.front() == ' ' || name.front() == '\t' ||
           (name.front() >= '0' && name.front() <= '9');
  }

  void Note(int line, std::string text) {
    notes_.emplace_back(line, std::string(kFileName) + ": " + std::move(text));
  }

  // Reads `entry` as a value in range, or notes it and gives nothing.
  std::optional<double> Value(const SettingsEntry& entry, std::string_view what, double minimum,
                              double maximum, bool whole, double fallback) {
    const char* damage = nullptr;
    double value = 0;
    if (!IsNumericText(entry.value)) {
      damage = "was damaged";
    } else {
      value = StrictTextValue(entry.value);
      if (!WithinRange(value, minimum, maximum, whole)) damage = "was out of range";
    }
    if (!damage) return value;
    Note(entry.line, std::string(what) + " " + damage + "; using " + TextOf(fallback) + ".");
    return std::nullopt;
  }

  void ReadSettings(const SettingsSection& section) {
    for (const SettingsEntry& entry : section.entries)
      for (const HouseholdInputInfo& info : HouseholdInputTable()) {
        if (entry.key != info.name) continue;
        const std::optional<double> value =
            Value(entry, info.name, info.minimum, info.maximum, info.whole, info.fallback);
        Put(reading_.household.settings, info.input, value.value_or(info.fallback));
      }
  }

  void ReadFitting(const SettingsSection& section) {
    // The header as written, made safe for the status line.
    const std::string title = "[" + Keep(section.name).name + "]";
    const auto leftOut = [&](std::string_view why) {
      Note(section.line, title + " was left out: " + std::string(why) + ".");
    };
    std::string_view digits = section.name;
    digits.remove_prefix(kFittingSection.size());
    digits.remove_prefix(std::min(digits.size(), digits.find_first_not_of(" \t")));
    size_t number = 0;
    const bool whole = !digits.empty() && digits.find_first_not_of("0123456789") == digits.npos;
    for (const char c : digits)
      if (whole) number = std::min<size_t>(number * 10 + static_cast<size_t>(c - '0'), 1000);
    if (!whole || number == 0) return leftOut("its number is not a whole number from 1 to 30");
    if (number > kMaxFittings) return leftOut("a household keeps at most 30 fittings");
    if (const auto earlier = fittings_.find(number); earlier != fittings_.end())
      return leftOut("its number was taken by the section on line " +
                     std::to_string(earlier->second.first));

    const SettingsEntry* kindEntry = nullptr;
    const SettingsEntry* nameEntry = nullptr;
    for (const SettingsEntry& entry : section.entries) {
      if (entry.key == "Kind") kindEntry = &entry;
      if (entry.key == "Name") nameEntry = &entry;
    }
    const std::optional<FittingKind> kind =
        kindEntry ? KindNamed(kindEntry->value) : std::optional<FittingKind>();
    if (!kind) return leftOut("its kind is not known");
    const FittingKindInfo& info = KindInfo(*kind);

    // A fitting without a name is called by its kind.
    const Kept name = Keep(nameEntry ? std::string_view(nameEntry->value) : info.label);
    if (nameEntry && name.replaced)
      Note(nameEntry->line, title + " Name was not valid UTF-8; the bad bytes were replaced.");
    if (nameEntry && name.cut)
      Note(nameEntry->line, title + " Name was longer than 40 characters; it was cut to 40.");
    Fitting fitting = DefaultFitting(*kind, name.name);
    for (const SettingsEntry& entry : section.entries)
      for (size_t i = 0; i < info.parameterCount; ++i) {
        const FittingParameterInfo& parameter = info.parameters[i];
        if (entry.key != parameter.name) continue;
        const std::optional<double> value =
            Value(entry, title + " " + std::string(parameter.name), parameter.minimum,
                  parameter.maximum, false, parameter.fallback);
        fitting.values[i] = value.value_or(parameter.fallback);
      }
    fittings_.emplace(number, std::make_pair(section.line, std::move(fitting)));
  }

  HouseholdReading& reading_;
  std::map<size_t, std::pair<int, Fitting>> fittings_;  // by number: header line, fitting
  std::vector<SettingsNote> notes_;
};

// Whether the reader takes every value back as it is: CheckHousehold's word, and the same
// ranges checked here too, so that nothing the reader would refuse (NaN included) is written.
bool Writable(const Household& household) {
  if (household.fittings.size() > kMaxFittings) return false;
  for (const Fitting& fitting : household.fittings)
    if (!KnownKind(fitting.Kind)) return false;
  if (!CheckHousehold(household).empty()) return false;
  for (const HouseholdInputInfo& info : HouseholdInputTable())
    if (!WithinRange(Setting(household.settings, info.input), info.minimum, info.maximum,
                     info.whole))
      return false;
  for (const Fitting& fitting : household.fittings) {
    const FittingKindInfo& info = KindInfo(fitting.Kind);
    for (size_t i = 0; i < info.parameterCount; ++i)
      if (!WithinRange(fitting.values[i], info.parameters[i].minimum, info.parameters[i].maximum,
                       false))
        return false;
  }
  return true;
}

}  // namespace

std::string KeptName(std::string_view name) {
  return Keep(name).name;
}

HouseholdReading ReadHousehold(FileSystem& files, std::string_view path) {
  HouseholdReading reading;
  const SettingsFileReading file = ReadSettingsFile(files, path);
  switch (file.outcome) {
    case SettingsFileReading::Outcome::Missing:
      break;
    case SettingsFileReading::Outcome::Unreadable:
      reading.found = true;
      reading.problems = {std::string(kFileName) + " could not be read; using an empty household."};
      break;
    case SettingsFileReading::Outcome::Read:
      reading.found = true;
      Reader(reading).Read(file.document);
      break;
  }
  return reading;
}

std::string HouseholdText(const Household& household) {
  SettingsWriter writer;
  writer.Section(kHouseholdSection);
  for (const HouseholdInputInfo& info : HouseholdInputTable())
    writer.Number(info.name, Setting(household.settings, info.input));
  size_t number = 0;
  for (const Fitting& fitting : household.fittings) {
    if (!KnownKind(fitting.Kind)) throw RunTimeFailure("a fitting of no known kind");
    const FittingKindInfo& info = KindInfo(fitting.Kind);
    writer.Section(std::string(kFittingSection) + " " + std::to_string(++number));
    writer.Value("Name", KeptName(fitting.Name));
    writer.Value("Kind", info.name);
    for (size_t i = 0; i < info.parameterCount; ++i)
      writer.Number(info.parameters[i].name, fitting.values[i]);
  }
  return writer.text();
}

FileStatus WriteHousehold(FileSystem& files, const Household& household, std::string_view path) {
  if (!Writable(household)) return {FileStep::Write};
  return files.Replace(path, HouseholdText(household));
}

}  // namespace tolvarn
