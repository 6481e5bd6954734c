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

using ConfigPtr = std::unique_ptr<FcConfig, decltype(&FcConfigDestroy)>;

std::string StringOf(const FcPattern* pattern, const char* object) {
  FcChar8* value = nullptr;
  if (FcPatternGetString(pattern, object, 0, &value) != FcResultMatch) return "";
  return reinterpret_cast<const char*>(value);
}

// The family and file of the face `config` draws `character` in (any character if 0) for a
// request of `family`: the first, in the order of preference, that has it, as the toolkit looks.
std::string Face(FcConfig* config, const char* family, FcChar32 character = 0,
                 int weight = FC_WEIGHT_REGULAR) {
  FcPattern* request = FcPatternCreate();
  FcPatternAddString(request, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(request, FC_WEIGHT, weight);
  FcConfigSubstitute(config, request, FcMatchPattern);
  FcDefaultSubstitute(request);
  FcResult result = FcResultNoMatch;
  FcFontSet* sorted = FcFontSort(config, request, FcTrue, nullptr, &result);
  FcPatternDestroy(request);
  std::string found;
  for (int i = 0; sorted != nullptr && i < sorted->nfont && found.empty(); ++i) {
    FcCharSet* characters = nullptr;
    if (character == 0 ||
        (FcPatternGetCharSet(sorted->fonts[i], FC_CHARSET, 0, &characters) == FcResultMatch &&
         FcCharSetHasChar(characters, character)))
      found = StringOf(sorted->fonts[i], FC_FAMILY) + " " +
              std::filesystem::path(StringOf(sorted->fonts[i], FC_FILE)).filename().string();
  }
  if (sorted != nullptr) FcFontSetDestroy(sorted);
  return found;
}

TEST(FontConfiguration, ArialIsLiberationSansAndOtherCharactersFallBackAsTheSystemWould) {
  const ConfigPtr quick(LoadFontConfiguration(QuickFontConfiguration("/etc/fonts/conf.d")),
                        &FcConfigDestroy);
  const ConfigPtr system(FcInitLoadConfigAndFonts(), &FcConfigDestroy);
  ASSERT_TRUE(quick != nullptr && system != nullptr);
  EXPECT_EQ(Face(quick.get(), "Arial"), "Liberation Sans LiberationSans-Regular.ttf");
  EXPECT_EQ(Face(quick.get(), "Arial", 0, FC_WEIGHT_BOLD),
            "Liberation Sans LiberationSans-Bold.ttf");
  // A family the configuration does not know is drawn in a text face, not the first font found.
  EXPECT_EQ(Face(quick.get(), "Helvetica"), "Liberation Sans LiberationSans-Regular.ttf");
  // A check mark, a star, a box-drawing corner: none is in Liberation Sans.
  for (const FcChar32 character : {0x2713u, 0x2605u, 0x2554u}) {
    const std::string chosen = Face(quick.get(), "Arial", character);
    EXPECT_FALSE(chosen.empty()) << std::hex << character;
    EXPECT_EQ(chosen, Face(system.get(), "Arial", character)) << std::hex << character;
  }
}

}  // namespace
}  // namespace tolvarn
