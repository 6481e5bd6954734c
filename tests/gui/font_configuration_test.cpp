// The program's own font configuration: which of the system's files it keeps, that Arial is
// Liberation Sans under it, and that the system's and the user's rendering choices still hold.
#include "shell/qt/font_configuration.h"

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace tolvarn {
namespace {

namespace fs = std::filesystem;

class FontConfigurationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tolvarn_fonts_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    fs::create_directory(dir_ / "conf.d");
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Write(const fs::path& path, const std::string& text) {
    fs::create_directories((dir_ / path).parent_path());
    std::ofstream(dir_ / path) << text;
  }

  // A rule file that sets one rendering property on every request.
  static std::string Setting(const std::string& name, const std::string& constant) {
    return "<?xml version=\"1.0\"?><fontconfig><match target=\"pattern\"><edit name=\"" + name +
           "\" mode=\"assign\"><const>" + constant + "</const></edit></match></fontconfig>";
  }

  fs::path dir_;
};

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

int IntegerOf(const FcPattern* pattern, const char* object) {
  int value = -1;
  FcPatternGetInteger(pattern, object, 0, &value);
  return value;
}

TEST_F(FontConfigurationTest, KeepsRenderingUserAndSiteFilesInTheirOrder) {
  for (const char* name :
       {"90-synthetic.conf", "11-lcdfilter-default.conf", "10-hinting-slight.conf",
        "30-metric-aliases.conf", "65-nonlatin.conf", "51-local.conf", "50-user.conf",
        "70-no-bitmaps.conf", "19-a&b.conf", "README", "10-old.conf.bak", "49-sansserif.conf"})
    Write(fs::path("conf.d") / name, "<fontconfig/>");
  const std::string conf_dir = (dir_ / "conf.d").string();
  const std::string text = QuickFontConfiguration(conf_dir);

  std::string included;
  for (size_t at = 0;
       (at = text.find("<include ignore_missing=\"yes\">", at)) != std::string::npos;) {
    at = text.find('>', at) + 1;
    included += text.substr(at, text.find('<', at) - at).substr(conf_dir.size() + 1) + ' ';
  }
  EXPECT_EQ(included,
            "10-hinting-slight.conf 11-lcdfilter-default.conf 19-a&amp;b.conf 49-sansserif.conf "
            "50-user.conf 51-local.conf 70-no-bitmaps.conf 90-synthetic.conf ");
}

TEST_F(FontConfigurationTest, ArialIsLiberationSansInEveryWeight) {
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

TEST_F(FontConfigurationTest, CharactersArialLacksComeFromTheFaceTheSystemWouldChoose) {
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

TEST_F(FontConfigurationTest, TheSystemsAndTheUsersRenderingChoicesHold) {
  Write("conf.d/10-hinting-full.conf", Setting("hintstyle", "hintfull"));
  Write("conf.d/11-lcdfilter-light.conf", Setting("lcdfilter", "lcdlight"));
  fs::create_symlink("/usr/share/fontconfig/conf.avail/50-user.conf", dir_ / "conf.d/50-user.conf");
  // The user's own file, which comes later, overrides the system's hinting.
  Write("config/fontconfig/fonts.conf", Setting("hintstyle", "hintnone"));
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string saved_value = saved != nullptr ? saved : "";
  ::setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
  ConfigPtr config(LoadFontConfiguration(QuickFontConfiguration((dir_ / "conf.d").string())));
  if (saved != nullptr)
    ::setenv("XDG_CONFIG_HOME", saved_value.c_str(), 1);
  else
    ::unsetenv("XDG_CONFIG_HOME");
  ASSERT_NE(config, nullptr);
  const PatternPtr font = Match(config.get(), "Arial");
  EXPECT_EQ(IntegerOf(font.get(), FC_HINT_STYLE), FC_HINT_NONE);
  EXPECT_EQ(IntegerOf(font.get(), FC_LCD_FILTER), FC_LCD_LIGHT);
}

TEST_F(FontConfigurationTest, LeavesTheChoiceToTheSystemWhenItCannotOrMayNot) {
  EXPECT_EQ(LoadFontConfiguration("<fontconfig><dir>"), nullptr);
  EXPECT_FALSE(UseQuickFontConfiguration((dir_ / "missing").string()));
  const char* saved = std::getenv("FONTCONFIG_FILE");
  const std::string saved_value = saved != nullptr ? saved : "";
  ::setenv("FONTCONFIG_FILE", "/etc/fonts/fonts.conf", 1);
  EXPECT_FALSE(UseQuickFontConfiguration((dir_ / "conf.d").string()));
  if (saved != nullptr)
    ::setenv("FONTCONFIG_FILE", saved_value.c_str(), 1);
  else
    ::unsetenv("FONTCONFIG_FILE");
}

}  // namespace
}  // namespace tolvarn
