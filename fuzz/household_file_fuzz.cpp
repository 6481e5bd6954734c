// Data/Household.ini as anything may leave it: reading never throws and gives a household that
// CheckHousehold accepts, and what it gives writes and reads back as the same household
// without a word.
#include <cstdint>
#include <exception>
#include <string_view>

#include "core/household.h"
#include "files/household_file.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tolvarn;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  fuzz::CheckSettingsRoundTrip(
      kHouseholdPath, text,
      [text](FileSystem& files) {
        try {
          HouseholdReading reading = ReadHousehold(files);
          if (!reading.found) fuzz::Fail("a file not found", text);
          return reading;
        } catch (const std::exception&) {
          fuzz::Fail("the reading threw", text);
        }
      },
      [](const HouseholdReading& reading) { return reading.household; },
      [](const Household& household) { return CheckHousehold(household).empty(); },
      [](FileSystem& files, const Household& household) {
        return WriteHousehold(files, household);
      });
  return 0;
}
