// Data/Household.ini: written, read back, damaged, refused.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cmath>

#include "core/utf8.h"
#include "files/household_file.h"
#include "files/settings_file.h"
#include "tests/support/fake_file_system.h"

namespace tolvarn {
namespace {

const std::string kPath(kHouseholdPath), a38(38, 'a');

// Either end, one decimal, or every bit of a double; at full size (else only minimums at first).
template <class Info>
double ValueIn(const Info& info) {
  const auto full = [](auto gen) { return *rc::gen::resize(100, gen); };
  const uint64_t bits = full(rc::gen::inRange<uint64_t>(0, (uint64_t{1} << 53) + 1));
  const double low = info.minimum, high = info.maximum;
  const double value = low + (high - low) * (static_cast<double>(bits) / 0x1p53);
  const double choices[] = {low, high, std::round(value * 10) / 10, value};
  return std::clamp(choices[full(rc::gen::inRange(0, 4))], low, high);
}

// Names with what a parser could trip on or of two to four bytes, and numbers, read back exactly.
RC_GTEST_PROP(HouseholdFile, WhatIsWrittenReadsBack, ()) {
  const std::vector<std::string> ends = {
      "a", "Z", "=", "[", "]", "#", ";", "\\", "é", "€", "\xF0\x9F\x9A\xBF", "\xEF\xBB\xBF"};
  std::vector<std::string> pieces = ends;
  pieces.push_back(" ");
  const auto& inputs = HouseholdInputTable();
  Household household{
      {*rc::gen::inRange(1, 21), ValueIn(inputs[1]), ValueIn(inputs[2]), ValueIn(inputs[3])}, {}};
  for (size_t f = *rc::gen::inRange<size_t>(0, kMaxFittings + 1); f > 0; --f) {
    const auto kind = static_cast<FittingKind>(*rc::gen::inRange<size_t>(0, kFittingKindCount));
    std::string name;
    const size_t length = *rc::gen::inRange<size_t>(0, kMaxFittingNameLength + 1);
    for (size_t i = 0; i < length; ++i)
      name += *rc::gen::elementOf(i == 0 || i + 1 == length ? ends : pieces);
    Fitting fitting = DefaultFitting(kind, std::string(utf8::Take(name, kMaxFittingNameLength)));
    for (size_t i = 0; i < KindInfo(kind).parameterCount; ++i)
      fitting.values[i] = ValueIn(KindInfo(kind).parameters[i]);
    household.fittings.push_back(fitting);
  }
  FakeFileSystem files;
  files.AddDirectory("Data");
  RC_ASSERT(WriteHousehold(files, household).ok());
  const HouseholdReading reading = ReadHousehold(files);
  RC_ASSERT(reading.found && reading.problems.empty() && reading.household == household);
}

TEST(HouseholdFile, KeptNamesAndTheLayout) {
  EXPECT_EQ(KeptName("  Shower\r\n[Fitting 2]\tx  "), "Shower  [Fitting 2] x");
  // Latin-1, an overlong form, a surrogate, past U+10FFFF: a replacement for each byte.
  EXPECT_EQ(KeptName("K\xFC"
                     "che \xE0\x80\x80\xED\xA0\x80\xF4\x90\x80\x80"),
            "K\uFFFDche \uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(KeptName(a38 + "a b"), a38 + "a");  // 40 characters, no blank left at the cut
  EXPECT_EQ(KeptName("\u00C0 la carte"), "\u00C0 la carte");  // a second byte at its lowest
  SettingsWriter writer;  // under it, nothing can break a line either
  writer.Value("Key", "one\r\n[B]\rtwo");
  EXPECT_EQ(writer.text(), "Key=one  [B] two\r\n");

  const Household household{{.People = 3, .ColdSupply = 0.1 + 0.2, .UnmeteredBill = 450.25},
                            {{"\tLoo", FittingKind::Toilet, {6, 4.5, 0, 0}}}};  // kept as Loo
  EXPECT_EQ(HouseholdText(household),
            "[Household]\r\nPeople=3\r\nColdSupply=0.30000000000000004\r\nUnmeteredBill=450.25\r\n"
            "StandingCharges=0\r\n\r\n[Fitting 1]\r\nName=Loo\r\nKind=Toilet\r\nFlushVolume=6\r\n"
            "PerPersonPerDay=4.5\r\n");
}

// Each damage costs only its value, line or section; fittings in number order, a missing name the
// kind's label; unknown keys and sections are not written again. A failed or refused write
// leaves the old file whole.
TEST(HouseholdFile, DamageCostsOnlyWhatIsDamagedAndAFailedWriteNothing) {
  const std::string was = "Household.ini: [Fitting ";
  FakeFileSystem files;
  files.AddDirectory("Data");
  files.files[kPath] =
      "\xEF\xBB\xBF# a comment\n[Household]\n People = 2.5 \nColdSupply=warm\ngarbage\n[Fitting "
      "1]\n"
      "Kind=Shower\nName=Shower\n"
      "FlowRate=31\nMinutes=\nUseTemperature=45\n[Fitting 2\nName=Leak\nFlowRate=20\n"  // not 1's
      "[Fitting 0]\nKind=Bath\n[Fitting two]\nKind=Bath\n[Fitting 31]\nKind=Bath\n"
      "[Fitting 1]\nKind=Bath\n[Fitting 3]\nKind=Jacuzzi\n[Fitting 4]\nName=No kind\n"
      "[Meter] ; old\nReading=12\n[Fitting 13]\nKind=Tap\nColour=red\n[Fitting 12]\nKind=Tap\n"
      "Name=K\xFC"
      "che\n[Fitting 9]\nKind=Tap\nName=" +
      a38 + "\u00E9\u00E9\u20ACx\n[Fittings]\nKind=Bath\n";  // another section, no fitting
  const HouseholdReading reading = ReadHousehold(files);
  Fitting shower = DefaultFitting(FittingKind::Shower, "Shower");
  shower.values[3] = 45;
  EXPECT_EQ(reading.household,
            (Household{{},
                       {shower, DefaultFitting(FittingKind::Tap, a38 + "\u00E9\u00E9"),
                        DefaultFitting(FittingKind::Tap, "K\uFFFDche"),
                        DefaultFitting(FittingKind::Tap, "Tap")}}));
  EXPECT_EQ(reading.problems,
            (std::vector<std::string>{
                "Household.ini: People was out of range; using 2.",
                "Household.ini: ColdSupply was damaged; using 10.",
                "Household.ini: line 5 was damaged; ignored.",
                was + "1] FlowRate was out of range; using 8.",
                was + "1] Minutes was damaged; using 7.5.",
                "Household.ini: line 12 was damaged; the section it begins was left out.",
                was + "0] was left out: its number is not a whole number from 1 to 30.",
                was + "two] was left out: its number is not a whole number from 1 to 30.",
                was + "31] was left out: a household keeps at most 30 fittings.",
                was + "1] was left out: its number was taken by the section on line 6.",
                was + "3] was left out: its kind is not known.",
                was + "4] was left out: its kind is not known.",
                was + "12] Name was not valid UTF-8; the bad bytes were replaced.",
                was + "9] Name was longer than 40 characters; it was cut to 40."}));
  ASSERT_TRUE(WriteHousehold(files, reading.household).ok());
  for (const char* gone : {"Meter", "Colour"})
    EXPECT_EQ(files.files[kPath].find(gone), std::string::npos);

  const std::string oldText = files.files.at(kPath);
  files.FailAt(FileStep::Rename);
  EXPECT_EQ(WriteHousehold(files, {{.People = 5}, {}}).failed, FileStep::Rename);
  EXPECT_EQ(files.files.at(kPath), oldText);
  std::vector<Household> refused(4, reading.household);  // what the checks or the reader refuse
  refused[0].settings.People = 0;
  refused[1].fittings[0].values[0] = NAN;
  refused[2].fittings.assign(kMaxFittings + 1, shower);
  refused[3].fittings[0].Kind = static_cast<FittingKind>(kFittingKindCount);
  files.operations.clear();
  for (const Household& household : refused)
    EXPECT_EQ(WriteHousehold(files, household).failed, FileStep::Write);
  EXPECT_TRUE(files.operations.empty());
  EXPECT_EQ(files.files.at(kPath), oldText);

  // Unreadable: found, so that no typical household is offered over the user's own, and empty.
  files.FailAt(FileStep::Read);
  const HouseholdReading unreadable = ReadHousehold(files);
  EXPECT_TRUE(unreadable.found && unreadable.household == Household{});
  EXPECT_EQ(unreadable.problems,
            std::vector<std::string>{"Household.ini could not be read; using an empty household."});
}

}  // namespace
}  // namespace tolvarn
