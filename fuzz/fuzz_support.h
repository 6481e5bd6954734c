// Shared by the fuzz targets: splitting the fuzzer's bytes into texts, and the checks that hold
// whatever the input.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/number_text.h"
#include "tests/support/fake_file_system.h"

namespace tolvarn::fuzz {

// Texts separated by the byte 0xFF, which no UTF-8 text holds; missing texts are empty.
inline std::vector<std::string> SplitTexts(const uint8_t* data, size_t size, size_t count) {
  std::vector<std::string> texts(count);
  size_t index = 0;
  for (size_t i = 0; i < size && index < count; ++i) {
    if (data[i] == 0xFF)
      ++index;
    else
      texts[index] += static_cast<char>(data[i]);
  }
  return texts;
}

// Stops the run with a message: a property did not hold.
[[noreturn]] inline void Fail(const char* what, std::string_view text) {
  std::fprintf(stderr, "FAILED: %s: \"%.*s\"\n", what, static_cast<int>(text.size()), text.data());
  std::abort();
}

// A text the program wrote into a result field: empty, or a number once a leading currency
// symbol is taken away; never infinity or NaN.
inline void CheckResultText(std::string_view text, std::string_view symbol) {
  if (text.empty()) return;
  if (text.starts_with(symbol)) text.remove_prefix(symbol.size());
  if (!IsNumericText(text)) Fail("a result that is not a number", text);
}

// A settings file holding `text`: what `read` makes of it must pass `valid`, write back with
// `write`, and read again as the same settings with no note. `settings` picks them out of a
// reading.
template <class Read, class Settings, class Valid, class Write>
void CheckSettingsRoundTrip(std::string_view path, std::string_view text, Read read,
                            Settings settings, Valid valid, Write write) {
  FakeFileSystem files;
  files.AddDirectory("Data");
  files.files[std::string(path)] = std::string(text);
  const auto reading = read(files);
  if (!valid(settings(reading))) Fail("a setting out of range", text);
  if (!write(files, settings(reading)).ok()) Fail("the settings' write", text);
  const auto again = read(files);
  if (!(settings(again) == settings(reading)) || !again.problems.empty())
    Fail("the settings read back", files.files[std::string(path)]);
}

}  // namespace tolvarn::fuzz
