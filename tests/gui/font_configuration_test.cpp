// The program's own font configuration: which of the system's files it keeps, that Arial is
// Liberation Sans under it, and that other characters fall back as the system would choose.
#include "shell/qt/font_configuration.h"

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "temp_dir.h"

namespace tolvarn {
namespace {

namespace fs = std::filesystem;

using FontConfigurationTest = testing::TempDir;

struct ConfigDeleter {
  void operator()(FcConfig* config) const { FcConfigDestroy(config); }
};
using ConfigPtr = std::unique_ptr<FcConfig, ConfigDeleter>;

struct PatternDeleter {
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

// What `config` makes of a request for `family`, as the toolkit asks: substituted, then matched.
PatternPtr Match(FcConfig* config, const char* family, int weight = FC_WEIGHT_REGULAR) {
  PatternPtr request(FcPatternCreate());
  FcPatternAddString(request.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(request.get(), FC_WEIGHT, weight);
  FcConfigSubstitute(config, request.get(), FcMatchPattern);
  FcDefaultSubstitute(request.get());
  FcResult result = FcResultNoMatch;
  return PatternPtr(FcFontMatch(config, request.get(), &result));
}

std::string StringOf(const FcPattern* pattern, const char* object) {
  FcChar8* value = nullptr;
  if (FcPatternGetString(pattern, object, 0, &value) != FcResultMatch) return "";
  return reinterpret_cast<const char*>(value);
}

TEST(FontConfiguration, ArialIsLiberationSansInEveryWeight) {
  ConfigPtr config(LoadFontConfiguration(QuickFontConfiguration("/etc/fonts/conf.d")));
  ASSERT_NE(config, nullptr);
  const PatternPtr regular = Match(config.get(), "Arial");
  ASSERT_NE(regular, nullptr);
  EXPECT_EQ(StringOf(regular.get(), FC_FAMILY), "Liberation Sans");
  EXPECT_EQ(fs::path(StringOf(regular.get(), FC_FILE)).filename(), "LiberationSans-Regular.ttf");
  const PatternPtr bold = Match(config.get(), "Arial", FC_WEIGHT_BOLD);
  EXPECT_EQ(fs::path(StringOf(bold.get(), FC_FILE)).filename(), "LiberationSans-Bold.ttf");
}

// The face a request for `family` falls back to for `character`: the first, in the order of
// preference, that has it, as the toolkit looks for one.
std::string FallbackFor(FcConfig* config, const char* family, FcChar32 character) {
  PatternPtr request(FcPatternCreate());
  FcPatternAddString(request.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcConfigSubstitute(config, request.get(), FcMatchPattern);
  FcDefaultSubstitute(request.get());
  FcResult result = FcResultNoMatch;
  FcFontSet* sorted = FcFontSort(config, request.get(), FcTrue, nullptr, &result);
  std::string found;
  for (int i = 0; sorted != nullptr && i < sorted->nfont && found.empty(); ++i) {
    FcCharSet* characters = nullptr;
    if (FcPatternGetCharSet(sorted->fonts[i], FC_CHARSET, 0, &characters) == FcResultMatch &&
        FcCharSetHasChar(characters, character))
      found = StringOf(sorted->fonts[i], FC_FAMILY);
  }
  if (sorted != nullptr) FcFontSetDestroy(sorted);
  return found;
}

TEST(FontConfiguration, CharactersArialLacksComeFromTheFaceTheSystemWouldChoose) {
  ConfigPtr quick(LoadFontConfiguration(QuickFontConfiguration("/etc/fonts/conf.d")));
  ConfigPtr system(FcInitLoadConfigAndFonts());
  ASSERT_NE(quick, nullptr);
  ASSERT_NE(system, nullptr);
  // A check mark, a star, a box-drawing corner: none is in Liberation Sans.
  for (const FcChar32 character : {0x2713u, 0x2605u, 0x2554u}) {
    const std::string chosen = FallbackFor(quick.get(), "Arial", character);
    EXPECT_FALSE(chosen.empty()) << std::hex << character;
    EXPECT_EQ(chosen, FallbackFor(system.get(), "Arial", character)) << std::hex << character;
  }
  // A family the configuration does not know is drawn in a text face, not the first font found.
  EXPECT_EQ(StringOf(Match(quick.get(), "Helvetica").get(), FC_FAMILY), "Liberation Sans");
  EXPECT_EQ(StringOf(Match(quick.get(), "Sans Serif").get(), FC_FAMILY), "Liberation Sans");
}

}  // namespace
}  // namespace tolvarn
