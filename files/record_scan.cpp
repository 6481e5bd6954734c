#include "files/record_scan.h"

#include <cstring>

namespace tolvarn {
namespace {

constexpr std::string_view kWord = "Water";

}  // namespace

bool RecordScan::Feed(std::string_view block) {
  if (found_) return true;
  size_t i = 0;
  // The line that ran across the end of the last block.
  if (blank_line_) {
    if (partial_.empty())
      while (i < block.size() && block[i] == ' ')
        ++i;
    if (i == block.size()) return false;
    const size_t need = kWord.size() - partial_.size();
    const size_t have = std::min(need, block.size() - i);
    if (block.substr(i, have) == kWord.substr(partial_.size(), have)) {
      if (have == need) return found_ = true;
      partial_.append(block.substr(i, have));
      return false;  // the block ended inside the word
    }
    blank_line_ = false;
    partial_.clear();
  }
  // Every "Water" in the block whose line holds only blanks before it. One before the block's
  // first line end belongs to the line just judged.
  const char* const start = block.data();
  const char* const end = start + block.size();
  for (const char* hit = start + i;
       (hit = static_cast<const char*>(
            memmem(hit, static_cast<size_t>(end - hit), kWord.data(), kWord.size()))) != nullptr;
       ++hit) {
    const char* before = hit;
    while (before > start && before[-1] == ' ')
      --before;
    if (before > start && before[-1] == '\n') return found_ = true;
  }
  // How the block's last line begins, for the next block.
  const void* last_newline = memrchr(start + i, '\n', static_cast<size_t>(end - (start + i)));
  if (last_newline == nullptr) return false;  // still the line judged above
  std::string_view tail(static_cast<const char*>(last_newline) + 1,
                        static_cast<size_t>(end - static_cast<const char*>(last_newline) - 1));
  const size_t blanks = tail.find_first_not_of(' ');
  tail = blanks == std::string_view::npos ? std::string_view() : tail.substr(blanks);
  blank_line_ = tail.size() < kWord.size() && kWord.starts_with(tail);
  partial_ = blank_line_ ? std::string(tail) : std::string();
  return false;
}

}  // namespace tolvarn
