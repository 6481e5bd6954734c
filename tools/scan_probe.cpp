// tolvarn-scan-probe FILE: the archive command's scan for a results record in FILE, as a
// process of its own so that its time and memory can be set against grep's. Exit 0: found.
#include <cstdio>
#include <string_view>

#include "files/record_scan.h"
#include "posix/posix_file_system.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("Usage: tolvarn-scan-probe FILE\n", stderr);
    return 64;
  }
  tolvarn::PosixFileSystem files("");
  const auto reader = files.OpenBlocks(argv[1]);
  if (!reader) return 2;
  tolvarn::RecordScan scan;
  std::string_view block;
  while (!scan.Found() && reader->Read(block))
    scan.Feed(block);
  return scan.Found() ? 0 : 1;
}
