// Text to number: the grammar both readings share, the lenient and the strict reading, and the
// check that a currency symbol cannot be taken for a number.
#include <algorithm>
#include <charconv>
#include <limits>
#include <string>
#include <system_error>

#include "core/number_digits.h"
#include "core/number_text.h"
#include "core/runtime_failure.h"
#include "core/text.h"

namespace tolvarn {

using number_detail::IsDigit;
using number_detail::kExactPowers;
using number_detail::kPowersOfTen;

namespace {

// What the lenient reading skips wherever it stands.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}

// A number found at the start of a text by the grammar
//   sign? (digits ("." digits?)? | "." digits) (("e" | "E") sign? digits)?
// with, when it is small enough, its value as mantissa x 10^exponent.
struct Scanned {
  size_t length = 0;  // 0: no number
  bool negative = false;
  bool exact = true;      // mantissa and exponent hold the whole value
  uint64_t mantissa = 0;  // significant digits, up to 2^53
  long long exponent = 0;
};

Scanned Scan(std::string_view text) {
  constexpr uint64_t kLargestExact = uint64_t{1} << 53;
  const char* p = text.data();
  const char* const end = p + text.size();
  const auto digit = [](char c) { return static_cast<unsigned>(c - '0') < 10; };
  Scanned number;
  if (p != end && (*p == '+' || *p == '-')) number.negative = *p++ == '-';
  // Up to 19 digits fit the 64-bit mantissa; more make the value inexact here, not wrong.
  uint64_t mantissa = 0;
  const char* const integer_start = p;
  while (p != end && digit(*p))
    mantissa = mantissa * 10 + static_cast<uint64_t>(*p++ - '0');
  long long digits = p - integer_start;
  long long fraction_digits = 0;
  if (p != end && *p == '.') {
    const char* const fraction_start = ++p;
    while (p != end && digit(*p))
      mantissa = mantissa * 10 + static_cast<uint64_t>(*p++ - '0');
    fraction_digits = p - fraction_start;
    digits += fraction_digits;
  }
  if (digits == 0) return {};
  number.exponent = -fraction_digits;
  if (p != end && (*p == 'e' || *p == 'E')) {
    const char* q = p + 1;
    bool negative = false;
    if (q != end && (*q == '+' || *q == '-')) negative = *q++ == '-';
    if (q != end && digit(*q)) {
      long long written = 0;
      for (; q != end && digit(*q); ++q)
        if (written < 1'000'000'000) written = written * 10 + (*q - '0');
      number.exponent += negative ? -written : written;
      p = q;
    }
  }
  number.length = static_cast<size_t>(p - text.data());
  number.exact = digits <= 19 && mantissa <= kLargestExact;
  number.mantissa = mantissa;
  return number;
}

// Decimal exponent of the first non-zero digit of an unsigned number, to tell overflow from
// underflow when it does not fit a double. Saturates far outside the double range.
long long LeadingDigitExponent(std::string_view number) {
  long long lead = 0;
  long long position = 0;  // exponent of the next digit, counted from the point
  size_t pos = number.find_first_of(".eE");
  const size_t integer_digits = pos == std::string_view::npos ? number.size() : pos;
  bool found = false;
  for (size_t i = 0; i < number.size() && !found; ++i) {
    const char c = number[i];
    if (c == 'e' || c == 'E') break;
    if (c == '.') continue;
    position = i < integer_digits ? static_cast<long long>(integer_digits - i) - 1
                                  : -static_cast<long long>(i - integer_digits);
    if (c != '0') lead = position, found = true;
  }
  pos = number.find_first_of("eE");
  if (pos != std::string_view::npos) {
    ++pos;
    bool negative = false;
    if (pos < number.size() && (number[pos] == '+' || number[pos] == '-'))
      negative = number[pos++] == '-';
    long long exponent = 0;
    for (; pos < number.size() && IsDigit(number[pos]); ++pos)
      if (exponent < 1'000'000'000) exponent = exponent * 10 + (number[pos] - '0');
    lead += negative ? -exponent : exponent;
  }
  return lead;
}

// Reads a scanned number. Sets `overflow` when its magnitude is beyond the double range, in
// which case the result is a signed infinity; a magnitude too small for a double reads as 0.
double Read(std::string_view text, const Scanned& number, bool& overflow) {
  overflow = false;
  double magnitude = 0;
  if (number.mantissa == 0 && number.exact) {
    magnitude = 0;
  } else if (number.exact && number.exponent >= -22 && number.exponent <= 22) {
    // Mantissa and power of ten are both exact doubles, so one operation rounds correctly.
    const auto m = static_cast<double>(number.mantissa);
    magnitude = number.exponent >= 0 ? m * kExactPowers[static_cast<size_t>(number.exponent)]
                                     : m / kExactPowers[static_cast<size_t>(-number.exponent)];
  } else {
    std::string_view digits = text.substr(0, number.length);
    if (digits.front() == '+' || digits.front() == '-') digits.remove_prefix(1);
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude,
                                        std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
      overflow = LeadingDigitExponent(digits) > 0;
      magnitude = overflow ? std::numeric_limits<double>::infinity() : 0;
    }
  }
  return number.negative ? -magnitude : magnitude;
}

bool ReadStrict(std::string_view text, double& value) {
  text = Trimmed(text);
  if (text.empty()) return false;
  const Scanned number = Scan(text);
  if (number.length != text.size()) return false;
  bool overflow = false;
  value = Read(text, number, overflow);
  return !overflow;
}

// The digits of a scanned number when it has at most 15 significant digits and lies well inside
// the double range.
void KeepDigits(const Scanned& scanned, NumberReading& reading) {
  if (scanned.exact && scanned.mantissa != 0 && scanned.mantissa < kPowersOfTen[15] &&
      scanned.exponent > -280 && scanned.exponent < 280) {
    reading.digits = scanned.mantissa;
    reading.exponent = static_cast<int>(scanned.exponent);
  }
}

}  // namespace

double TextValue(std::string_view text) {
  // Most texts have no blanks at all; copy only when there is something to drop.
  std::string compact;
  if (std::any_of(text.begin(), text.end(), [](char c) { return IsBlank(c); })) {
    compact.reserve(text.size());
    for (char c : text)
      if (!IsBlank(c)) compact += c;
    text = compact;
  }
  const Scanned number = Scan(text);
  if (number.length == 0) return 0;
  bool overflow = false;
  return Read(text, number, overflow);
}

double StrictTextValue(std::string_view text) {
  double value = 0;
  if (!ReadStrict(text, value)) throw RunTimeFailure("Type mismatch");
  return value;
}

bool CanBeginNumber(std::string_view text) {
  if (text.empty()) return true;
  const char c = text.front();
  return IsDigit(c) || c == '+' || c == '-' || c == '.' || c == ',' || c == ' ' || c == '\t' ||
         c == '\n' || c == '\r';
}

bool IsNumericText(std::string_view text) {
  double value = 0;
  return ReadStrict(text, value);
}

NumberReading ReadNumber(std::string_view text) {
  if (std::any_of(text.begin(), text.end(), [](char c) { return IsBlank(c); }))
    return {TextValue(text), IsNumericText(text)};
  // Without blanks both readings scan the same characters.
  const Scanned number = Scan(text);
  if (number.length == 0) return {};
  bool overflow = false;
  NumberReading reading{Read(text, number, overflow), number.length == text.size() && !overflow};
  if (reading.numeric) KeepDigits(number, reading);
  return reading;
}

}  // namespace tolvarn
