#include "shell/qt/font_configuration.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace tolvarn {
namespace {

// The folders and caches of the system configuration, as Debian's fonts.conf names them.
constexpr std::string_view kFolders =
    "<dir>/usr/share/fonts</dir>"
    "<dir>/usr/local/share/fonts</dir>"
    "<dir prefix=\"xdg\">fonts</dir>"
    "<dir>~/.fonts</dir>"
    "<cachedir>/var/cache/fontconfig</cachedir>"
    "<cachedir prefix=\"xdg\">fontconfig</cachedir>"
    "<cachedir>~/.fontconfig</cachedir>";

// Arial as the metric-compatible Liberation Sans, as the system's aliases have it; the other
// spellings of the generic names, as the system's fonts.conf has them; and an order of
// preference for the generic names, so that a family the configuration does not know, and a
// character Liberation Sans lacks, come from a text face (49-sansserif.conf adds sans-serif to
// any request without a generic name).
constexpr std::string_view kFamilies =
    "<alias binding=\"same\"><family>Arial</family>"
    "<accept><family>Liberation Sans</family></accept></alias>"
    "<match target=\"pattern\"><test qual=\"any\" name=\"family\"><string>sans serif</string>"
    "</test><edit name=\"family\" mode=\"assign\" binding=\"same\"><string>sans-serif</string>"
    "</edit></match>"
    "<match target=\"pattern\"><test qual=\"any\" name=\"family\"><string>sans</string>"
    "</test><edit name=\"family\" mode=\"assign\" binding=\"same\"><string>sans-serif</string>"
    "</edit></match>"
    "<match target=\"pattern\"><test qual=\"any\" name=\"family\"><string>mono</string>"
    "</test><edit name=\"family\" mode=\"assign\" binding=\"same\"><string>monospace</string>"
    "</edit></match>"
    "<alias><family>sans-serif</family>"
    "<prefer><family>Liberation Sans</family><family>DejaVu Sans</family></prefer></alias>"
    "<alias><family>serif</family>"
    "<prefer><family>Liberation Serif</family><family>DejaVu Serif</family></prefer></alias>"
    "<alias><family>monospace</family>"
    "<prefer><family>Liberation Mono</family><family>DejaVu Sans Mono</family></prefer></alias>";

// The system's files that decide how letters look or which fonts the user has added: rendering
// (10-19), the default generic name, the user's and the site's files, bitmap fonts (70-) and
// synthetic styles.
bool Wanted(std::string_view name) {
  if (name.size() < 5 || name.substr(name.size() - 5) != ".conf") return false;
  return name.front() == '1' || name.starts_with("70-") || name == "49-sansserif.conf" ||
         name == "50-user.conf" || name == "51-local.conf" || name == "90-synthetic.conf";
}

void AppendEscaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += c;
    }
  }
}

}  // namespace

std::string QuickFontConfiguration(const std::string& conf_dir) {
  // POSIX calls rather than std::filesystem, whose code would be paged in for this alone.
  std::vector<std::string> names;
  if (DIR* folder = ::opendir(conf_dir.c_str())) {
    while (const dirent* entry = ::readdir(folder))
      if (Wanted(entry->d_name)) names.emplace_back(entry->d_name);
    ::closedir(folder);
  }
  // The system reads conf.d in the order of the names; so does this.
  std::sort(names.begin(), names.end());

  std::string text = "<?xml version=\"1.0\"?><fontconfig>";
  text += kFolders;
  for (const std::string& name : names) {
    text += "<include ignore_missing=\"yes\">";
    AppendEscaped(text, conf_dir + '/' + name);
    text += "</include>";
  }
  text += kFamilies;
  text += "</fontconfig>";
  return text;
}

FcConfig* LoadFontConfiguration(const std::string& text) {
  FcConfig* config = FcConfigCreate();
  if (config == nullptr) return nullptr;
  if (!FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(text.c_str()),
                                      FcTrue) ||
      !FcConfigBuildFonts(config)) {
    FcConfigDestroy(config);
    return nullptr;
  }
  return config;
}

bool UseQuickFontConfiguration(const std::string& conf_dir) {
  for (const char* chosen : {"FONTCONFIG_FILE", "FONTCONFIG_PATH", "FONTCONFIG_SYSROOT"})
    if (std::getenv(chosen) != nullptr) return false;
  struct stat folder {};
  if (::stat(conf_dir.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)) return false;
  FcConfig* config = LoadFontConfiguration(QuickFontConfiguration(conf_dir));
  if (config == nullptr) return false;
  const bool made_current = FcConfigSetCurrent(config) == FcTrue;
  FcConfigDestroy(config);  // the current configuration holds its own reference
  return made_current;
}

}  // namespace tolvarn
