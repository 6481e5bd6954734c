// The font configuration the window draws with, made before the toolkit reads any font.
#pragma once

#include <fontconfig/fontconfig.h>

#include <string>

namespace tolvarn {

// The configuration text for `conf_dir` (the system's conf.d folder): the system's font folders
// and caches, the rendering settings of its configuration (the files whose names begin with 1:
// antialiasing, hinting, sub-pixel order, LCD filter), the user's and the site's own files, the
// bitmap and synthetic-style rules, and Arial as Liberation Sans. Left out are the distribution's
// family preferences, which the window, drawn in Arial throughout, never asks for.
std::string QuickFontConfiguration(const std::string& conf_dir);

// A new configuration loaded from `text`, its fonts read from their caches; nullptr when the
// text does not load. The caller owns it (FcConfigDestroy).
FcConfig* LoadFontConfiguration(const std::string& text);

// Reading the whole system configuration (some fifty XML files) costs a fifth of the start-up;
// this makes the configuration above the current one instead. Nothing is changed when the user
// has chosen a configuration through the environment (FONTCONFIG_FILE, FONTCONFIG_PATH,
// FONTCONFIG_SYSROOT), when the system has no conf.d folder, or when the text does not load:
// the toolkit then reads the system configuration as usual. Returns whether it was made current.
bool UseQuickFontConfiguration(const std::string& conf_dir = "/etc/fonts/conf.d");

}  // namespace tolvarn
