// Data/Household.ini as anything may leave it: reading never throws and gives a household that
// CheckHousehold accepts, and what it gives writes and reads back as the same household
// without a word.
#include <cstdint>
#include <exception>
#include <string>

#include "core/household.h"
#include "files/household_file.h"
#include "fuzz/fuzz_support.h"
#include "tests/support/fake_file_system.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tolvarn;
  const std::string text(reinterpret_cast<const char*>(data), size);
  FakeFileSystem files;
  files.AddDirectory("Data");
  files.files[std::string(kHouseholdPath)] = text;
  HouseholdReading reading;
  try {
    reading = ReadHousehold(files);
  } catch (const std::exception&) {
    fuzz::Fail("the reading threw", text);
  }
  if (!reading.found) fuzz::Fail("a file not found", text);
  if (!CheckHousehold(reading.household).empty()) fuzz::Fail("a household out of range", text);
  if (!WriteHousehold(files, reading.household).ok()) fuzz::Fail("the household's write", text);
  const HouseholdReading again = ReadHousehold(files);
  if (!(again.household == reading.household) || !again.problems.empty())
    fuzz::Fail("the household read back", files.files[std::string(kHouseholdPath)]);
  return 0;
}
