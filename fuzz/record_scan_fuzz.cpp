// The archive's scan of the log: whatever the bytes and wherever the blocks end, it finds a
// record exactly when a line of the whole text, its leading blanks aside, begins with "Water".
#include <cstdint>
#include <string_view>

#include "files/record_scan.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  // The first byte sets the block length, the rest is the log.
  const size_t block = 1 + data[0] % 16;
  const std::string_view log(reinterpret_cast<const char*>(data + 1), size - 1);
  bool expected = false;
  for (size_t start = 0; start <= log.size() && !expected;) {
    const size_t end = log.find('\n', start);
    std::string_view line = log.substr(start, end == std::string_view::npos ? end : end - start);
    line.remove_prefix(std::min(line.find_first_not_of(' '), line.size()));
    expected = line.starts_with("Water");
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  tolvarn::RecordScan scan;
  for (size_t at = 0; at < log.size(); at += block)
    scan.Feed(log.substr(at, block));
  if (scan.Found() != expected) tolvarn::fuzz::Fail("the scan's answer", log);
  return 0;
}
