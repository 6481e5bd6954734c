// Data/Household.ini and the settings-file layout under it: what is written reads back exactly,
// whatever a hand or another editor did to the file costs only what it damaged, and a failed
// or refused write leaves the old file whole.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "core/number_text.h"
#include "core/runtime_failure.h"
#include "core/utf8.h"
#include "files/household_file.h"
#include "files/settings_file.h"
#include "platform/fake_file_system.h"

namespace tolvarn {
namespace {

const std::string kPath(kHouseholdPath);

// A value in [minimum, maximum]: either end, one decimal, or one using every bit of a double.
// Full size from the first case on (rapidcheck grows its ranges, and would give only minimums
// at first).
double ValueIn(double minimum, double maximum) {
  const auto full = [](auto gen) { return *rc::gen::resize(100, gen); };
  const double fraction =
      static_cast<double>(full(rc::gen::inRange<uint64_t>(0, (uint64_t{1} << 53) + 1))) / 0x1p53;
  const double value = minimum + (maximum - minimum) * fraction;
  switch (full(rc::gen::inRange(0, 4))) {
    case 0:
      return minimum;
    case 1:
      return maximum;
    case 2:
      return std::clamp(std::round(value * 10) / 10, minimum, maximum);
    default:
      return std::clamp(value, minimum, maximum);
  }
}

// A household CheckHousehold accepts, its names made of the given one-character pieces (those
// at either end from `ends`).
Household RandomHousehold(const std::vector<std::string>& inner,
                          const std::vector<std::string>& ends) {
  Household household;
  household.settings.People = *rc::gen::inRange(1, 21);
  const auto& inputs = HouseholdInputTable();
  household.settings.ColdSupply = ValueIn(inputs[1].minimum, inputs[1].maximum);
  household.settings.UnmeteredBill = ValueIn(inputs[2].minimum, inputs[2].maximum);
  household.settings.StandingCharges = ValueIn(inputs[3].minimum, inputs[3].maximum);
  const size_t count = *rc::gen::inRange<size_t>(0, kMaxFittings + 1);
  for (size_t f = 0; f < count; ++f) {
    const auto kind = static_cast<FittingKind>(*rc::gen::inRange<size_t>(0, kFittingKindCount));
    std::string name;
    const size_t length = *rc::gen::inRange<size_t>(0, kMaxFittingNameLength + 1);
    for (size_t i = 0; i < length; ++i)
      name += *rc::gen::elementOf(i == 0 || i + 1 == length ? ends : inner);
    Fitting fitting = DefaultFitting(kind, name);
    const FittingKindInfo& info = KindInfo(kind);
    for (size_t i = 0; i < info.parameterCount; ++i)
      fitting.values[i] = ValueIn(info.parameters[i].minimum, info.parameters[i].maximum);
    household.fittings.push_back(fitting);
  }
  RC_PRE(CheckHousehold(household).empty());
  return household;
}

HouseholdReading WrittenAndRead(const Household& household, FakeFileSystem& files) {
  files.AddDirectory("Data");
  RC_ASSERT(WriteHousehold(files, household).ok());
  return ReadHousehold(files);
}

// Names with what a line parser could trip on ('=', '[', ']', '#', ';') and characters of
// two, three and four bytes read back exactly, as does every number.
RC_GTEST_PROP(HouseholdFile, WhatIsWrittenReadsBackExactly, ()) {
  const std::vector<std::string> ends = {
      "a",           "Z", "7", "=", "[", "]", "#", ";", "\\", "\"", "é", "€", "\xF0\x9F\x9A\xBF",
      "\xEF\xBB\xBF"};
  std::vector<std::string> inner = ends;
  inner.push_back(" ");
  const Household household = RandomHousehold(inner, ends);
  FakeFileSystem files;
  const HouseholdReading reading = WrittenAndRead(household, files);
  RC_ASSERT(reading.found);
  RC_ASSERT(reading.problems.empty());
  RC_ASSERT(reading.household == household);
  // Every line ends with CR LF.
  const std::string& text = files.files.at(kPath);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') RC_ASSERT(i + 1 < text.size() && text[i + 1] == '\n');
    if (text[i] == '\n') RC_ASSERT(i > 0 && text[i - 1] == '\r');
  }
}

// A name holding line ends, control characters or bytes that are not UTF-8 can never start a
// line or a section of its own: the fittings read back as they were but for their names, which
// read back as KeptName gives them, and the file then stays as it is.
RC_GTEST_PROP(HouseholdFile, NoNameCanBreakTheFile, ()) {
  const std::vector<std::string> pieces = {"a",
                                           " ",
                                           "\r",
                                           "\n",
                                           "\t",
                                           "\x01",
                                           "\x7F",
                                           "[",
                                           "]",
                                           "=",
                                           "\xFF",
                                           "\xC3",
                                           "\xED\xA0\x80",
                                           "\xE0\x80\x80",
                                           "\xF4\x90\x80\x80",
                                           "é",
                                           "\r\n[Fitting 1]\r\nKind=Bath\r\n"};
  Household household = RandomHousehold(pieces, pieces);
  for (Fitting& fitting : household.fittings)
    fitting.Name = std::string(utf8::Take(fitting.Name, kMaxFittingNameLength));
  FakeFileSystem files;
  const HouseholdReading reading = WrittenAndRead(household, files);
  RC_ASSERT(reading.problems.empty());
  RC_ASSERT(reading.household.fittings.size() == household.fittings.size());
  Household kept = household;
  for (Fitting& fitting : kept.fittings)
    fitting.Name = KeptName(fitting.Name);
  RC_ASSERT(reading.household == kept);
  RC_ASSERT(HouseholdText(reading.household) == files.files.at(kPath));
}

TEST(HouseholdFile, KeptNamesAreOneLineOfUtf8AndAtMost40Characters) {
  const struct {
    std::string name, kept;
  } cases[] = {
      {"  Shower\r\n[Fitting 2]\tx  ", "Shower  [Fitting 2] x"},
      {"K\xFC"
       "che \xE0\x80\x80",
       "K\uFFFDche \uFFFD\uFFFD\uFFFD"},  // Latin-1, an overlong
      // A surrogate and a code point past U+10FFFF: a replacement for each byte.
      {"\xED\xA0\x80\xF4\x90\x80\x80", "\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
      {std::string(38, 'a') + "\u00E9\u20AC\U0001F6BF", std::string(38, 'a') + "\u00E9\u20AC"},
      {std::string(39, 'a') + " b", std::string(39, 'a')},  // no blank left at the cut
  };
  for (const auto& c : cases)
    EXPECT_EQ(KeptName(c.name), c.kept) << c.name;
}

// The file's layout, which a user may edit and a later version must read.
TEST(HouseholdFile, LayoutAndShortestNumbers) {
  Household household{{.People = 3, .ColdSupply = 0.1 + 0.2, .UnmeteredBill = 450.25}, {}};
  household.fittings.push_back(DefaultFitting(FittingKind::Toilet, "Loo"));
  household.fittings[0].values = {6, 4.5, 0, 0};
  EXPECT_EQ(HouseholdText(household),
            "[Household]\r\nPeople=3\r\nColdSupply=0.30000000000000004\r\nUnmeteredBill=450.25\r\n"
            "StandingCharges=0\r\n\r\n[Fitting 1]\r\nName=Loo\r\nKind=Toilet\r\nFlushVolume=6\r\n"
            "PerPersonPerDay=4.5\r\n");
}

// The note for a damaged value: "Household.ini: [Fitting 1] FlowRate was damaged; using 8."
std::string Note(const std::string& what, const char* damage, double fallback) {
  return "Household.ini: " + what + " was " + damage + "; using " + TextOf(fallback) + ".";
}
double Fallback(FittingKind kind, size_t parameter) {
  return KindInfo(kind).parameters[parameter].fallback;
}
Fitting With(Fitting fitting, size_t parameter, double value) {
  fitting.values[parameter] = value;
  return fitting;
}
std::string Label(FittingKind kind) {
  return std::string(KindInfo(kind).label);
}

TEST(HouseholdFile, ADamagedLineValueOrSectionCostsThatOnly) {
  using enum FittingKind;
  const Fitting shower = DefaultFitting(Shower, "Shower");
  const std::string longName = std::string(38, 'a') + "\u00E9\u00E9";
  const struct Case {
    std::string text;
    Household expected;
    std::vector<std::string> problems;
  } cases[] = {
      {"# LF ends, blanks, comments; fittings in number order, gaps closing up\n[Household]\n"
       "  People = 3 \nColdSupply=12.5\n; a comment\n\n[Fitting 7]\nKind = Bath\n"
       "Name= Tub = big [x] \nVolume=120\n[Fitting 2]\nName=Shower\nKind=Shower\nFlowRate=9\n",
       {{.People = 3, .ColdSupply = 12.5},
        {With(shower, 0, 9), With(DefaultFitting(Bath, "Tub = big [x]"), 0, 120)}},
       {}},
      {"[Household]\rPeople=4\r[Fitting 1]\rKind=Toilet\rFlushVolume=4.5\r",  // lone CRs
       {{.People = 4}, {With(DefaultFitting(Toilet, Label(Toilet)), 0, 4.5)}},
       {}},
      {"\xEF\xBB\xBF[Household]\r\nPeople=5\r\n", {{.People = 5}, {}}, {}},  // a BOM
      {"[Household]\r\nPeople=2.5\r\nColdSupply=warm\r\nUnmeteredBill=1e999\r\n"
       "StandingCharges=-1\r\n[Fitting 1]\r\nKind=Shower\r\nName=Shower\r\nFlowRate=31\r\n"
       "Minutes=\r\nUseTemperature=45\r\n",
       {{}, {With(shower, 3, 45)}},
       {"Household.ini: People was out of range; using 2.",
        "Household.ini: ColdSupply was damaged; using 10.",
        "Household.ini: UnmeteredBill was damaged; using 0.",
        "Household.ini: StandingCharges was out of range; using 0.",
        Note("[Fitting 1] FlowRate", "out of range", Fallback(Shower, 0)),
        Note("[Fitting 1] Minutes", "damaged", Fallback(Shower, 1))}},
      {"[Household]\nPeople=x\nPeople=3\ngarbage\n"
       "[Fitting 1]\nKind=Shower\nName=Shower\n"
       "[Fitting 2\nName=Leak\nFlowRate=20\n"  // its keys must not reach fitting 1
       "[Fitting 0]\nKind=Bath\n[Fitting two]\nKind=Bath\n[Fitting 31]\nKind=Bath\n"
       "[Fitting 1]\nKind=Bath\n[Fitting 3]\nKind=Jacuzzi\n[Fitting 4]\nName=No kind\n"
       "[Meter]\nReading=12\n[Fitting 9]\nKind=Tap\nColour=red\nVolume=80\n",
       {{.People = 3}, {shower, DefaultFitting(Tap, Label(Tap))}},
       {"Household.ini: People was damaged; using 2.",
        "Household.ini: line 4 was damaged; ignored.",
        "Household.ini: line 8 was damaged; the section it begins was left out.",
        "Household.ini: [Fitting 0] was left out: its number is not a whole number from 1 to 30.",
        "Household.ini: [Fitting two] was left out: its number is not a whole number from 1 to 30.",
        "Household.ini: [Fitting 31] was left out: a household keeps at most 30 fittings.",
        "Household.ini: [Fitting 1] was left out: its number was taken by the section on line 5.",
        "Household.ini: [Fitting 3] was left out: its kind is not known.",
        "Household.ini: [Fitting 4] was left out: its kind is not known."}},
      {"[Fitting 1]\nKind=Tap\nName=" + std::string(38, 'a') +
           "\u00E9\u00E9\u20ACx\n"
           "[Fitting 2]\nKind=Tap\nName=K\xFC"
           "che\n[Fitting 3]\nKind=Tap\nName=\n",
       {{},
        {DefaultFitting(Tap, longName), DefaultFitting(Tap, "K\uFFFDche"),
         DefaultFitting(Tap, "")}},
       {"Household.ini: [Fitting 1] Name was longer than 40 characters; it was cut to 40.",
        "Household.ini: [Fitting 2] Name was not valid UTF-8; the bad bytes were replaced."}},
  };
  FakeFileSystem files;
  files.AddDirectory("Data");
  for (const Case& c : cases) {
    files.files[kPath] = c.text;
    const HouseholdReading reading = ReadHousehold(files);
    EXPECT_TRUE(reading.found);
    EXPECT_EQ(reading.household, c.expected) << c.text;
    EXPECT_EQ(reading.problems, c.problems) << c.text;
    // What was read writes and reads back without a word; unknown keys and sections are gone.
    ASSERT_TRUE(WriteHousehold(files, reading.household).ok());
    const HouseholdReading again = ReadHousehold(files);
    EXPECT_EQ(again.household, c.expected);
    EXPECT_TRUE(again.problems.empty());
    EXPECT_EQ(files.files[kPath].find("Meter"), std::string::npos);
    EXPECT_EQ(files.files[kPath].find("Colour"), std::string::npos);
  }
}

TEST(HouseholdFile, MissingGivesAnEmptyHouseholdQuietlyAndUnreadableWithANote) {
  FakeFileSystem files;
  files.AddDirectory("Data");
  HouseholdReading reading = ReadHousehold(files);
  EXPECT_FALSE(reading.found);
  EXPECT_EQ(reading.household, Household{});
  EXPECT_TRUE(reading.problems.empty());

  const std::vector<std::string> unreadable = {
      "Household.ini could not be read; using an empty household."};
  files.files[kPath] = "[Household]\r\nPeople=4\r\n";
  for (const FileStep step : {FileStep::Open, FileStep::Read}) {
    files.FailAt(step);
    reading = ReadHousehold(files);
    EXPECT_TRUE(reading.found);  // so no typical household is offered over the user's own
    EXPECT_EQ(reading.household, Household{});
    EXPECT_EQ(reading.problems, unreadable);
  }
  files.files.clear();
  files.AddDirectory(kPath);  // not a file
  reading = ReadHousehold(files);
  EXPECT_TRUE(reading.found);
  EXPECT_EQ(reading.problems, unreadable);
}

TEST(HouseholdFile, AFailedOrRefusedWriteLeavesTheOldFileWhole) {
  FakeFileSystem files;
  files.AddDirectory("Data");
  const Household old{{.People = 4}, {DefaultFitting(FittingKind::Bath, "Bath")}};
  ASSERT_TRUE(WriteHousehold(files, old).ok());
  const std::string oldText = files.files.at(kPath);

  Household changed = old;
  changed.settings.People = 5;
  for (const FileStep step : {FileStep::Open, FileStep::Write, FileStep::Flush, FileStep::Rename}) {
    files.FailAt(step);
    EXPECT_EQ(WriteHousehold(files, changed).failed, step);
    EXPECT_EQ(files.files.at(kPath), oldText);
    EXPECT_EQ(ReadHousehold(files).household, old);
  }

  // What CheckHousehold rejects, or what the reader could not take back, is never written.
  std::vector<Household> refused(7, old);
  refused[0].settings.People = 0;
  refused[1].settings.ColdSupply = std::numeric_limits<double>::quiet_NaN();
  refused[2].settings.StandingCharges = std::numeric_limits<double>::infinity();
  refused[3].fittings[0].values[0] = std::numeric_limits<double>::quiet_NaN();
  refused[4].fittings[0].Name = std::string(41, 'a');
  refused[5].fittings.assign(kMaxFittings + 1, old.fittings[0]);
  refused[6].fittings[0].Kind = static_cast<FittingKind>(kFittingKindCount);
  files.operations.clear();
  for (const Household& household : refused)
    EXPECT_EQ(WriteHousehold(files, household).failed, FileStep::Write);
  EXPECT_TRUE(files.operations.empty());
  EXPECT_EQ(files.files.at(kPath), oldText);
}

// The layer Payback.ini can move onto: sections, entries and damaged lines with their numbers,
// whatever ends the lines.
TEST(SettingsFile, ParsesSectionsEntriesAndDamagedLines) {
  const SettingsDocument document = ParseSettings(
      "\xEF\xBB\xBF"
      "a=1\r\n[ S ]\rk = v=w \n\n[T] ; note\nbad\r\n[U\nx=1\n[V] x");
  ASSERT_EQ(document.sections.size(), 5u);
  const auto expect = [&](size_t i, int line, const char* name, bool damaged,
                          std::vector<std::string> entries) {
    const SettingsSection& section = document.sections[i];
    EXPECT_EQ(section.line, line);
    EXPECT_EQ(section.name, name);
    EXPECT_EQ(section.damaged, damaged) << name;
    std::vector<std::string> found;
    for (const SettingsEntry& entry : section.entries)
      found.push_back(std::to_string(entry.line) + ":" + entry.key + "|" + entry.value);
    EXPECT_EQ(found, entries) << name;
  };
  expect(0, 0, "", false, {"1:a|1"});
  expect(1, 2, "S", false, {"3:k|v=w"});
  expect(2, 5, "T", false, {});
  expect(3, 7, "U", true, {"8:x|1"});
  expect(4, 9, "V", true, {});
  EXPECT_EQ(document.damagedLines, std::vector<int>{6});

  SettingsWriter writer;
  writer.Section("A");
  writer.Value("Key", "one\r\n[B]\rtwo");
  writer.Number("N", 1e-7);
  writer.Section("C");
  EXPECT_EQ(writer.text(), "[A]\r\nKey=one  [B] two\r\nN=1e-07\r\n\r\n[C]\r\n");
  EXPECT_EQ(StrictTextValue("1e-07"), 1e-7);
  EXPECT_THROW(writer.Number("N", std::numeric_limits<double>::quiet_NaN()), RunTimeFailure);
}

}  // namespace
}  // namespace tolvarn
