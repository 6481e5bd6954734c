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
#include "tests/support/fake_file_system.h"

namespace tolvarn {
namespace {

const std::string kPath(kHouseholdPath);

// A value in [minimum, maximum]: either end, one decimal, or one using every bit of a double.
// Full size from the first case on (rapidcheck grows its ranges, and would give only minimums
// at first).
double ValueIn(double minimum, double maximum) {
  const auto full = [](auto gen) { return *rc::gen::resize(100, gen); };
  const uint64_t bits = full(rc::gen::inRange<uint64_t>(0, (uint64_t{1} << 53) + 1));
  const double value = minimum + (maximum - minimum) * (static_cast<double>(bits) / 0x1p53);
  const double choices[] = {minimum, maximum, std::round(value * 10) / 10, value};
  return std::clamp(choices[full(rc::gen::inRange(0, 4))], minimum, maximum);
}

// Names of plain pieces (with what a line parser could trip on, and characters of two to four
// bytes) read back exactly; hostile ones (line ends, control characters, bytes that are not
// UTF-8, which CheckHousehold refuses only in part) read back as KeptName gives them and can
// never make a line or a section of their own. Every number reads back exactly.
RC_GTEST_PROP(HouseholdFile, WhatIsWrittenReadsBack, ()) {
  const bool hostile = *rc::gen::arbitrary<bool>();
  std::vector<std::string> pieces = {
      "a", "Z", "=", "[", "]", "#", ";", "\\", "é", "€", "\xF0\x9F\x9A\xBF", "\xEF\xBB\xBF"};
  const std::vector<std::string> ends = pieces;
  pieces.push_back(" ");
  if (hostile)
    for (const char* piece : {"\r", "\n", "\t", "\x01", "\x7F", "\xFF", "\xC3", "\xED\xA0\x80",
                              "\xF4\x90\x80\x80", "\r\n[Fitting 1]\r\nKind=Bath\r\n"})
      pieces.push_back(piece);

  Household household;
  household.settings.People = *rc::gen::inRange(1, 21);
  const auto& inputs = HouseholdInputTable();
  household.settings.ColdSupply = ValueIn(inputs[1].minimum, inputs[1].maximum);
  household.settings.UnmeteredBill = ValueIn(inputs[2].minimum, inputs[2].maximum);
  household.settings.StandingCharges = ValueIn(inputs[3].minimum, inputs[3].maximum);
  Household kept = household;
  const size_t count = *rc::gen::inRange<size_t>(0, kMaxFittings + 1);
  for (size_t f = 0; f < count; ++f) {
    const auto kind = static_cast<FittingKind>(*rc::gen::inRange<size_t>(0, kFittingKindCount));
    std::string name;
    const size_t length = *rc::gen::inRange<size_t>(0, kMaxFittingNameLength + 1);
    for (size_t i = 0; i < length; ++i)
      name += *rc::gen::elementOf(i == 0 || i + 1 == length ? (hostile ? pieces : ends) : pieces);
    Fitting fitting = DefaultFitting(kind, std::string(utf8::Take(name, kMaxFittingNameLength)));
    for (size_t i = 0; i < KindInfo(kind).parameterCount; ++i)
      fitting.values[i] =
          ValueIn(KindInfo(kind).parameters[i].minimum, KindInfo(kind).parameters[i].maximum);
    household.fittings.push_back(fitting);
    fitting.Name = hostile ? KeptName(fitting.Name) : fitting.Name;
    kept.fittings.push_back(fitting);
  }

  FakeFileSystem files;
  files.AddDirectory("Data");
  files.files[kPath] = HouseholdText(household);
  if (!hostile) RC_ASSERT(WriteHousehold(files, household).ok());
  const HouseholdReading reading = ReadHousehold(files);
  RC_ASSERT(reading.found);
  RC_ASSERT(reading.problems.empty());
  RC_ASSERT(reading.household == kept);
  RC_ASSERT(WriteHousehold(files, reading.household).ok());
  RC_ASSERT(files.files.at(kPath) == HouseholdText(household));
}

TEST(HouseholdFile, KeptNamesAndTheLayout) {
  const std::string a38(38, 'a');
  EXPECT_EQ(KeptName("  Shower\r\n[Fitting 2]\tx  "), "Shower  [Fitting 2] x");
  // Latin-1, an overlong form, a surrogate, past U+10FFFF: a replacement for each byte.
  EXPECT_EQ(KeptName("K\xFC"
                     "che \xE0\x80\x80\xED\xA0\x80\xF4\x90\x80\x80"),
            "K\uFFFDche \uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(KeptName(a38 + "a b"), a38 + "a");  // 40 characters, no blank left at the cut

  Household household{{.People = 3, .ColdSupply = 0.1 + 0.2, .UnmeteredBill = 450.25}, {}};
  household.fittings.push_back(DefaultFitting(FittingKind::Toilet, "Loo"));
  household.fittings[0].values = {6, 4.5, 0, 0};
  EXPECT_EQ(HouseholdText(household),
            "[Household]\r\nPeople=3\r\nColdSupply=0.30000000000000004\r\nUnmeteredBill=450.25\r\n"
            "StandingCharges=0\r\n\r\n[Fitting 1]\r\nName=Loo\r\nKind=Toilet\r\nFlushVolume=6\r\n"
            "PerPersonPerDay=4.5\r\n");
}

TEST(HouseholdFile, ADamagedLineValueOrSectionCostsThatOnly) {
  using enum FittingKind;
  const auto with = [](FittingKind kind, std::string name, size_t parameter, double value) {
    Fitting fitting = DefaultFitting(kind, std::move(name));
    fitting.values[parameter] = value;
    return fitting;
  };
  const auto labelled = [](FittingKind kind) {
    return DefaultFitting(kind, std::string(KindInfo(kind).label));
  };
  const auto note = [](const std::string& what, const char* damage, FittingKind kind, size_t p) {
    return "Household.ini: [Fitting 1] " + what + " was " + damage + "; using " +
           TextOf(KindInfo(kind).parameters[p].fallback) + ".";
  };
  const Fitting shower = DefaultFitting(Shower, "Shower");
  const std::string a38(38, 'a');
  const struct Case {
    std::string text;
    Household expected;
    std::vector<std::string> problems;
  } cases[] = {
      {"# LF ends, blanks; fittings in number order, gaps closing up\n[Household]\n  People = 3 "
       "\n; a comment\n\n[Fitting 7]\nKind = Bath\nName= Tub = big [x] \nVolume=120\n"
       "[Fitting 2]\nName=Shower\nKind=Shower\nFlowRate=9\n",
       {{.People = 3}, {with(Shower, "Shower", 0, 9), with(Bath, "Tub = big [x]", 0, 120)}},
       {}},
      {"\xEF\xBB\xBF[Household]\rPeople=4\r[Fitting 1]\rKind=Toilet\rFlushVolume=4.5\r",
       {{.People = 4}, {with(Toilet, std::string(KindInfo(Toilet).label), 0, 4.5)}},
       {}},
      {"[Household]\r\nPeople=2.5\r\nColdSupply=warm\r\nUnmeteredBill=1e999\r\n"
       "StandingCharges=-1\r\n[Fitting 1]\r\nKind=Shower\r\nName=Shower\r\nFlowRate=31\r\n"
       "Minutes=\r\nUseTemperature=45\r\n",
       {{}, {with(Shower, "Shower", 3, 45)}},
       {"Household.ini: People was out of range; using 2.",
        "Household.ini: ColdSupply was damaged; using 10.",
        "Household.ini: UnmeteredBill was damaged; using 0.",
        "Household.ini: StandingCharges was out of range; using 0.",
        note("FlowRate", "out of range", Shower, 0), note("Minutes", "damaged", Shower, 1)}},
      {"[Household]\nPeople=x\nPeople=3\ngarbage\n[Fitting 1]\nKind=Shower\nName=Shower\n"
       "[Fitting 2\nName=Leak\nFlowRate=20\n"  // its keys must not reach fitting 1
       "[Fitting 0]\nKind=Bath\n[Fitting two]\nKind=Bath\n[Fitting 31]\nKind=Bath\n"
       "[Fitting 1]\nKind=Bath\n[Fitting 3]\nKind=Jacuzzi\n[Fitting 4]\nName=No kind\n"
       "[Meter]\nReading=12\n[Fitting 9]\nKind=Tap\nColour=red\nVolume=80\n",
       {{.People = 3}, {shower, labelled(Tap)}},
       {"Household.ini: People was damaged; using 2.",
        "Household.ini: line 4 was damaged; ignored.",
        "Household.ini: line 8 was damaged; the section it begins was left out.",
        "Household.ini: [Fitting 0] was left out: its number is not a whole number from 1 to 30.",
        "Household.ini: [Fitting two] was left out: its number is not a whole number from 1 to 30.",
        "Household.ini: [Fitting 31] was left out: a household keeps at most 30 fittings.",
        "Household.ini: [Fitting 1] was left out: its number was taken by the section on line 5.",
        "Household.ini: [Fitting 3] was left out: its kind is not known.",
        "Household.ini: [Fitting 4] was left out: its kind is not known."}},
      {"[Fitting 1]\nKind=Tap\nName=" + a38 +
           "\u00E9\u00E9\u20ACx\n[Fitting 2]\nKind=Tap\n"
           "Name=K\xFC"
           "che\n[Fitting 3]\nKind=Tap\nName=\n",
       {{},
        {DefaultFitting(Tap, a38 + "\u00E9\u00E9"), DefaultFitting(Tap, "K\uFFFDche"),
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
    // Unknown keys and sections are not written again.
    ASSERT_TRUE(WriteHousehold(files, reading.household).ok());
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

  files.files[kPath] = "[Household]\r\nPeople=4\r\n";
  for (const FileStep step : {FileStep::Open, FileStep::Read, FileStep::None}) {
    if (step == FileStep::None) {
      files.files.clear();
      files.AddDirectory(kPath);  // not a file
    }
    files.FailAt(step);
    reading = ReadHousehold(files);
    EXPECT_TRUE(reading.found);  // so no typical household is offered over the user's own
    EXPECT_EQ(reading.household, Household{});
    EXPECT_EQ(reading.problems, std::vector<std::string>{
                                    "Household.ini could not be read; using an empty household."});
  }
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
  }

  // What CheckHousehold rejects, or what the reader could not take back, is never written.
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  std::vector<Household> refused(7, old);
  refused[0].settings.People = 0;
  refused[1].settings.ColdSupply = kNaN;
  refused[2].fittings[0].values[0] = kNaN;
  refused[3].fittings[0].Name = std::string(41, 'a');
  refused[4].fittings.assign(kMaxFittings + 1, old.fittings[0]);
  refused[5].fittings[0].Kind = static_cast<FittingKind>(kFittingKindCount);
  refused[6].fittings[0].Name = "Bath\r\n[Fitting 2]";
  files.operations.clear();
  for (const Household& household : refused)
    EXPECT_EQ(WriteHousehold(files, household).failed, FileStep::Write);
  EXPECT_TRUE(files.operations.empty());
  EXPECT_EQ(files.files.at(kPath), oldText);
}

// The layer under Household.ini and Payback.ini: sections, entries and damaged lines with their
// numbers, whatever ends the lines, in either file's line rules.
TEST(SettingsFile, ParsesSectionsEntriesAndDamagedLines) {
  const auto parsed = [](const SettingsDialect& dialect) {
    const SettingsDocument document = ParseSettings(
        "\xEF\xBB\xBF"
        "a=1\r\n[ S ]\rk = v=w \n\n[T] ; note\nbad\r\n[U\nx=1\n[V] x\n[P]\ny=\t 2",
        dialect);
    std::string text;
    for (const SettingsSection& section : document.sections) {
      text += std::to_string(section.line) + (section.damaged ? "!" : "") + section.name + ":";
      for (const SettingsEntry& entry : section.entries)
        text += " " + std::to_string(entry.line) + "|" + entry.key + "|" + entry.value;
      text += "; ";
    }
    for (const int line : document.damagedLines)
      text += std::to_string(line) + "! ";
    return text;
  };
  EXPECT_EQ(parsed({}), "0: 1|a|1; 2S: 3|k|v=w; 5T:; 7!U: 8|x|1; 9!V:; 10P: 11|y|2; 6! ");
  EXPECT_EQ(parsed({.skipByteOrderMark = false, .onlyHeader = "[P]", .trimValueStart = false}),
            "0: 1|\xEF\xBB\xBF"
            "a|1 3|k| v=w 8|x|1; 10P: 11|y|\t 2; 2! 5! 6! 7! 9! ");

  SettingsWriter writer;
  writer.Section("A");
  writer.Value("Key", "one\r\n[B]\rtwo");
  writer.Number("N", 1e-7);
  writer.Section("C");
  EXPECT_EQ(writer.text(), "[A]\r\nKey=one  [B] two\r\nN=1e-07\r\n\r\n[C]\r\n");
  EXPECT_THROW(writer.Number("N", std::numeric_limits<double>::quiet_NaN()), RunTimeFailure);
}

}  // namespace
}  // namespace tolvarn
