// Counting and cutting UTF-8 text by characters (code points) rather than bytes, for the
// record's columns, the one-character currency symbol and the 75-character notes.
// Bytes that are not valid UTF-8 count as one character each, so no input can break a cut.
#pragma once

#include <cstddef>
#include <string_view>

namespace tolvarn::utf8 {

// Characters the notes box accepts and the record's notes line holds.
inline constexpr size_t kNotesLimit = 75;

// Length in bytes of the character that starts at text[pos].
inline size_t CharBytes(std::string_view text, size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  size_t length = 1;
  if (lead >= 0xF0 && lead <= 0xF4)
    length = 4;
  else if (lead >= 0xE0)
    length = 3;
  else if (lead >= 0xC2 && lead <= 0xDF)
    length = 2;
  if (lead >= 0xF5 || pos + length > text.size()) return 1;
  for (size_t i = 1; i < length; ++i)
    if ((static_cast<unsigned char>(text[pos + i]) & 0xC0) != 0x80) return 1;
  return length;
}

inline size_t Length(std::string_view text) {
  unsigned char high_bits = 0;
  for (const char c : text)
    high_bits |= static_cast<unsigned char>(c);
  if (high_bits < 0x80) return text.size();  // plain ASCII
  size_t count = 0;
  for (size_t pos = 0; pos < text.size(); pos += CharBytes(text, pos))
    ++count;
  return count;
}

// The first `count` characters.
inline std::string_view Take(std::string_view text, size_t count) {
  size_t pos = 0;
  for (; pos < text.size() && count > 0; --count)
    pos += CharBytes(text, pos);
  return text.substr(0, pos);
}

}  // namespace tolvarn::utf8
