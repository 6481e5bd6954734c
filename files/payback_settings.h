// Data/Payback.ini: the payback comparison's settings, kept between runs apart from the
// tariff file. A damaged or missing value never stops the program: it falls back to its
// default, and the reading says so in a line fit for the status line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/payback.h"
#include "platform/file_system.h"

namespace tolvarn {

inline constexpr std::string_view kPaybackSettingsPath = "Data/Payback.ini";

struct PaybackSettingsReading {
  PaybackSettings settings;           // every value in range
  std::vector<std::string> problems;  // "Payback.ini: Horizon was damaged; using 15.", ...
};

// A missing file gives the defaults and no problem; an unreadable one the defaults and one.
PaybackSettingsReading ReadPaybackSettings(FileSystem& files);

// The file's text: UTF-8, CR LF line ends, "[Payback]" then one "Name=value" line each.
std::string PaybackSettingsText(const PaybackSettings& settings);

// Replaces the file as Save Data replaces Tolvarn.ini, so a failure leaves the old file whole.
// Settings that are out of range are not written (Write fails), so the file always reads back.
FileStatus WritePaybackSettings(FileSystem& files, const PaybackSettings& settings);

}  // namespace tolvarn
