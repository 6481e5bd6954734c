// The program's own font configuration keeps enough of the system's that Arial is Liberation Sans.
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

std::string StringOf(const FcPattern* pattern, const char* object) {
  FcChar8* value = nullptr;
  if (FcPatternGetString(pattern, object, 0, &value) != FcResultMatch) return "";
  return reinterpret_cast<const char*>(value);
}

// The family and file `config` matches to a request for `family` as the toolkit makes it.
std::string Match(FcConfig* config, const char* family, int weight = FC_WEIGHT_REGULAR) {
  const PatternPtr request(FcPatternCreate());
  FcPatternAddString(request.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(request.get(), FC_WEIGHT, weight);
  FcConfigSubstitute(config, request.get(), FcMatchPattern);
  FcDefaultSubstitute(request.get());
  FcResult result = FcResultNoMatch;
  const PatternPtr match(FcFontMatch(config, request.get(), &result));
  if (match == nullptr) return "";
  return StringOf(match.get(), FC_FAMILY) + " " +
         std::filesystem::path(StringOf(match.get(), FC_FILE)).filename().string();
}

TEST(FontConfiguration, ArialIsLiberationSans) {
  ConfigPtr quick(LoadFontConfiguration(QuickFontConfiguration("/etc/fonts/conf.d")));
  ASSERT_NE(quick, nullptr);
  EXPECT_EQ(Match(quick.get(), "Arial"), "Liberation Sans LiberationSans-Regular.ttf");
  EXPECT_EQ(Match(quick.get(), "Arial", FC_WEIGHT_BOLD), "Liberation Sans LiberationSans-Bold.ttf");
  // A family the configuration does not know is drawn in a text face, not the first font found.
  EXPECT_EQ(Match(quick.get(), "Helvetica"), "Liberation Sans LiberationSans-Regular.ttf");
}

}  // namespace
}  // namespace tolvarn
