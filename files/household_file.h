// Data/Household.ini: the household's settings and fittings, kept between runs. The file is
// the household's own, often edited by hand, so reading it never stops the program: a damaged
// value costs that value (its default, and a note fit for the status line), a damaged fitting
// section costs that fitting.
//
// Layout (UTF-8, CR LF):
//   [Household]
//   People=2
//   ColdSupply=10
//   UnmeteredBill=0
//   StandingCharges=0
//
//   [Fitting 1]
//   Name=Mixer shower
//   Kind=Shower
//   FlowRate=8
//   ...  (the kind's parameters by name)
//
// Keys and sections this version does not know (a newer version's, or a typing slip) are
// read past without a note and are not written again: a Household has no place to carry them,
// and a fitting's extra keys could not follow it through the window's edits and reorders.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/household.h"
#include "platform/file_system.h"

namespace tolvarn {

inline constexpr std::string_view kHouseholdPath = "Data/Household.ini";

struct HouseholdReading {
  Household household;  // one CheckHousehold accepts, whatever the file held
  // Whether a file stands under the name, read or not: only a first-time user (no file at all)
  // is offered a typical household, never one whose file could not be read this once.
  bool found = false;
  // "Household.ini: People was damaged; using 2.", ... in the file's line order.
  std::vector<std::string> problems;
};

// A missing file gives the empty household (the settings' defaults, no fittings) and no
// problem; an unreadable one the empty household and one problem. Fittings come in the order of
// their numbers; gaps in the numbering close up.
HouseholdReading ReadHousehold(FileSystem& files, std::string_view path = kHouseholdPath);

// A fitting's name as the file keeps it: one line of valid UTF-8 (each control character, a CR
// or LF among them, becomes a blank; each byte that is not part of valid UTF-8 becomes U+FFFD),
// no blanks at either end, at most 40 characters. The window can show names this way as they
// are typed, so that what it shows is what the next start reads.
std::string KeptName(std::string_view name);

// The file's text. Names are written as KeptName gives them, so a name can never make a line or
// a section of its own. Throws RunTimeFailure for a value that is not finite.
std::string HouseholdText(const Household& household);

// Replaces the file as Save Data replaces Tolvarn.ini, so a failure leaves the old file whole.
// A household that CheckHousehold rejects, or with a value the reader would not take back, is
// not written (Write fails) and the file is left as it was, so the file always reads back.
FileStatus WriteHousehold(FileSystem& files, const Household& household,
                          std::string_view path = kHouseholdPath);

}  // namespace tolvarn
