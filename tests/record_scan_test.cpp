// The archive's scan for a record line agrees with the line rule wherever its blocks end.
#include "files/record_scan.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

namespace tolvarn {
namespace {

// The rule, line by line: a line that, its leading blanks aside, begins with "Water".
bool HasRecordLine(const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    const size_t first = line.find_first_not_of(' ');
    if (first != std::string::npos && line.compare(first, 5, "Water") == 0) return true;
  }
  return false;
}

bool Scan(const std::string& text, size_t block) {
  RecordScan scan;
  for (size_t at = 0; at < text.size() && !scan.Found(); at += block)
    scan.Feed(std::string_view(text).substr(at, block));
  return scan.Found();
}

TEST(RecordScan, AgreesWithTheLineRuleForAnyBlockSize) {
  const char* pieces[] = {"Water", "Wat", "er", " ", "x", "W", "a", "Item 1 Water Use",
                          "\r\n",  "\n"};
  std::mt19937 random(42);
  std::uniform_int_distribution<size_t> piece(0, std::size(pieces) - 1);
  std::uniform_int_distribution<int> count(0, 12);
  for (int i = 0; i < 20000; ++i) {
    std::string text;
    for (int n = count(random); n > 0; --n)
      text += pieces[piece(random)];
    const bool expected = HasRecordLine(text);
    for (const size_t block : {1, 2, 3, 4, 5, 6, 7, 64})
      ASSERT_EQ(Scan(text, block), expected) << '"' << text << "\" in blocks of " << block;
  }
}

}  // namespace
}  // namespace tolvarn
