// The program's own font configuration: which of the system's files it keeps, that Arial is
// Liberation Sans under it, and that other characters fall back as the system would choose.
#include "shell/qt/font_configuration.h"

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace tolvarn {
namespace {

struct Destroy {
  void operator()(FcConfig* config) const { FcConfigDestroy(config); }
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using ConfigPtr = std::unique_ptr<FcConfig, Destroy>;
using PatternPtr = std::unique_ptr<FcPattern, Destroy>;

// A request for `family` as the toolkit makes it: substituted by `config`.
PatternPtr Request(FcConfig* config, const char* family, int weight = FC_WEIGHT_REGULAR) {
  PatternPtr request(FcPatternCreate());
  FcPatternAddString(request.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(request.get(), FC_WEIGHT, weight);
  FcConfigSubstitute(config, request.get(), FcMatchPattern);
  FcDefaultSubstitute(request.get());
  return request;
}

std::string StringOf(const FcPattern* pattern, const char* object) {
  FcChar8* value = nullptr;
  if (FcPatternGetString(pattern, object, 0, &value) != FcResultMatch) return "";
  return reinterpret_cast<const char*>(value);
}

// The family and file `config` matches to a request for `family`.
std::string Match(FcConfig* config, const char* family, int weight = FC_WEIGHT_REGULAR) {
  FcResult result = FcResultNoMatch;
  const PatternPtr match(FcFontMatch(config, Request(config, family, weight).get(), &result));
  if (match == nullptr) return "";
  return StringOf(match.get(), FC_FAMILY) + " " +
         std::filesystem::path(StringOf(match.get(), FC_FILE)).filename().string();
}

// The face a request for `family` falls back to for `character`: the first, in the order of
// preference, that has it, as the toolkit looks for one.
std::string FallbackFor(FcConfig* config, const char* family, FcChar32 character) {
  FcResult result = FcResultNoMatch;
  FcFontSet* sorted = FcFontSort(config, Request(config, family).get(), FcTrue, nullptr, &result);
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

TEST(FontConfiguration, ArialIsLiberationSansAndOtherCharactersFallBackAsTheSystemWould) {
  ConfigPtr quick(LoadFontConfiguration(QuickFontConfiguration("/etc/fonts/conf.d")));
  ConfigPtr system(FcInitLoadConfigAndFonts());
  ASSERT_NE(quick, nullptr);
  ASSERT_NE(system, nullptr);
  EXPECT_EQ(Match(quick.get(), "Arial"), "Liberation Sans LiberationSans-Regular.ttf");
  EXPECT_EQ(Match(quick.get(), "Arial", FC_WEIGHT_BOLD), "Liberation Sans LiberationSans-Bold.ttf");
  // A family the configuration does not know is drawn in a text face, not the first font found.
  EXPECT_EQ(Match(quick.get(), "Helvetica"), "Liberation Sans LiberationSans-Regular.ttf");
  // A check mark, a star, a box-drawing corner: none is in Liberation Sans.
  for (const FcChar32 character : {0x2713u, 0x2605u, 0x2554u}) {
    const std::string chosen = FallbackFor(quick.get(), "Arial", character);
    EXPECT_FALSE(chosen.empty()) << std::hex << character;
    EXPECT_EQ(chosen, FallbackFor(system.get(), "Arial", character)) << std::hex << character;
  }
}

}  // namespace
}  // namespace tolvarn
