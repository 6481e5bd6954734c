// Data/Payback.ini as anything may leave it: read, every setting is in range, and what is
// written back reads again as the same settings without a word.
#include <cstdint>
#include <string_view>

#include "core/payback.h"
#include "files/payback_settings.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tolvarn;
  fuzz::CheckSettingsRoundTrip(
      kPaybackSettingsPath, std::string_view(reinterpret_cast<const char*>(data), size),
      [](FileSystem& files) { return ReadPaybackSettings(files); },
      [](const PaybackSettingsReading& reading) { return reading.settings; },
      [](const PaybackSettings& settings) {
        return CheckPaybackInputs(PaybackInputs{settings, {}}).empty();
      },
      [](FileSystem& files, const PaybackSettings& settings) {
        return WritePaybackSettings(files, settings);
      });
  return 0;
}
