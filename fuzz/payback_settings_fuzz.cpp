// Data/Payback.ini as anything may leave it: read, every setting is in range, and what is
// written back reads again as the same settings without a word.
#include <cstdint>
#include <string>

#include "core/payback.h"
#include "files/payback_settings.h"
#include "fuzz/fuzz_support.h"
#include "tests/support/fake_file_system.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tolvarn;
  const std::string text(reinterpret_cast<const char*>(data), size);
  FakeFileSystem files;
  files.AddDirectory("Data");
  files.files[std::string(kPaybackSettingsPath)] = text;
  const PaybackSettingsReading reading = ReadPaybackSettings(files);
  if (!CheckPaybackInputs(PaybackInputs{reading.settings, {}}).empty())
    fuzz::Fail("a setting out of range", text);
  if (!WritePaybackSettings(files, reading.settings).ok()) fuzz::Fail("the settings' write", text);
  const PaybackSettingsReading again = ReadPaybackSettings(files);
  if (!(again.settings == reading.settings) || !again.problems.empty())
    fuzz::Fail("the settings read back", files.files[std::string(kPaybackSettingsPath)]);
  return 0;
}
