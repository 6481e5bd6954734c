// tolvarn-logo-pixels OUTPUT.cpp: draws the logo at its size and at twice its size and writes
// the pixels as C++ arrays, which the program shows instead of drawing the logo at each start.
#include <cstdint>
#include <cstdio>
#include <string>

#include "shell/qt/artwork.h"

namespace {

bool WriteArray(std::FILE* out, const char* name, const QImage& image) {
  std::fprintf(out, "extern const std::uint32_t %s[] = {", name);
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x)
      std::fprintf(out, "%s0x%08x,", x % 8 == 0 ? "\n    " : " ", line[x]);
  }
  return std::fprintf(out, "\n};\n") > 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("Usage: tolvarn-logo-pixels OUTPUT.cpp\n", stderr);
    return 64;
  }
  const std::string temporary = std::string(argv[1]) + ".tmp";
  std::FILE* out = std::fopen(temporary.c_str(), "w");
  if (out == nullptr) return 1;
  std::fputs(
      "// Made by tolvarn-logo-pixels when the program is built: the logo's premultiplied ARGB\n"
      "// pixels, row by row, at its size and at twice its size.\n"
      "#include <cstdint>\n\nnamespace tolvarn {\n\n",
      out);
  bool written = WriteArray(out, "kLogoPixels1x", tolvarn::DrawLogo(1)) &&
                 WriteArray(out, "kLogoPixels2x", tolvarn::DrawLogo(2)) &&
                 std::fputs("\n}  // namespace tolvarn\n", out) >= 0;
  written = std::fclose(out) == 0 && written;
  // Only a whole file takes the output's name, so a failed run never leaves half an array.
  return written && std::rename(temporary.c_str(), argv[1]) == 0 ? 0 : 1;
}
