#include "number_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "runtime_failure.h"

namespace tolvarn {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The longest prefix of `text` that is a number of the grammar; 0 when there is none.
// sign? (digits ("." digits?)? | "." digits) (("e"|"E") sign? digits)?
size_t NumberPrefixLength(std::string_view text) {
  size_t pos = 0;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
  size_t mantissa_digits = 0;
  while (pos < text.size() && IsDigit(text[pos]))
    ++pos, ++mantissa_digits;
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    while (pos < text.size() && IsDigit(text[pos]))
      ++pos, ++mantissa_digits;
  }
  if (mantissa_digits == 0) return 0;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    size_t exponent = pos + 1;
    if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) ++exponent;
    if (exponent < text.size() && IsDigit(text[exponent])) {
      while (exponent < text.size() && IsDigit(text[exponent]))
        ++exponent;
      pos = exponent;
    }
  }
  return pos;
}

// Decimal exponent of the leading significant digit of a matched number (no sign), used only to
// tell overflow from underflow when the value does not fit a double. Saturates far outside the
// double range.
long long LeadingDigitExponent(std::string_view number) {
  long long position = 0;  // exponent of the digit being looked at
  size_t pos = 0;
  size_t integer_digits = 0;
  while (pos < number.size() && IsDigit(number[pos]))
    ++pos, ++integer_digits;
  long long lead = std::numeric_limits<long long>::min();
  for (size_t i = 0; i < integer_digits; ++i)
    if (number[i] != '0') {
      lead = static_cast<long long>(integer_digits - i) - 1;
      break;
    }
  if (pos < number.size() && number[pos] == '.') {
    ++pos;
    position = -1;
    for (; pos < number.size() && IsDigit(number[pos]); ++pos, --position)
      if (lead == std::numeric_limits<long long>::min() && number[pos] != '0') lead = position;
  }
  if (lead == std::numeric_limits<long long>::min()) return lead;  // all zeros
  if (pos < number.size() && (number[pos] == 'e' || number[pos] == 'E')) {
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

// Reads a matched number (optional sign included). Sets `overflow` when its magnitude is beyond
// the double range, in which case the result is a signed infinity.
double ReadMatched(std::string_view number, bool& overflow) {
  overflow = false;
  bool negative = false;
  if (!number.empty() && (number.front() == '+' || number.front() == '-')) {
    negative = number.front() == '-';
    number.remove_prefix(1);
  }
  double magnitude = 0;
  const auto result = std::from_chars(number.data(), number.data() + number.size(), magnitude,
                                      std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    if (LeadingDigitExponent(number) > 0) {
      overflow = true;
      magnitude = std::numeric_limits<double>::infinity();
    } else {
      magnitude = 0;  // too small for a double
    }
  }
  return negative ? -magnitude : magnitude;
}

// The value's 15 (or `digits`) significant decimal digits and the exponent of the first one,
// correctly rounded from the exact binary value, as C's "%.*e" gives them.
struct Decimal {
  std::array<char, 20> digits{};
  int count = 0;
  int exponent = 0;
};

Decimal ToDecimal(double magnitude, int digits) {
  std::array<char, 64> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                    std::chars_format::scientific, digits - 1);
  Decimal decimal;
  const char* p = buffer.data();
  for (; p < result.ptr && *p != 'e'; ++p)
    if (IsDigit(*p)) decimal.digits[decimal.count++] = *p;
  ++p;  // 'e'
  const bool negative = *p == '-';
  ++p;
  int exponent = 0;
  for (; p < result.ptr; ++p)
    exponent = exponent * 10 + (*p - '0');
  decimal.exponent = negative ? -exponent : exponent;
  return decimal;
}

void RequireFinite(double value) {
  if (!std::isfinite(value)) throw RunTimeFailure("Overflow");
}

// "%.<precision>g" with a capital E, for a finite value.
std::string GeneralText(double value, int precision) {
  RequireFinite(value);
  if (value == 0) return "0";
  const Decimal decimal = ToDecimal(std::fabs(value), precision);
  int significant = decimal.count;
  while (significant > 1 && decimal.digits[significant - 1] == '0')
    --significant;
  std::string text = value < 0 ? "-" : "";
  const int x = decimal.exponent;
  if (x >= -4 && x < precision) {
    if (x >= 0) {
      for (int i = 0; i <= x; ++i)
        text += i < significant ? decimal.digits[i] : '0';
      if (significant > x + 1) {
        text += '.';
        text.append(decimal.digits.data() + x + 1, significant - x - 1);
      }
    } else {
      text += "0.";
      text.append(static_cast<size_t>(-x - 1), '0');
      text.append(decimal.digits.data(), significant);
    }
  } else {
    text += decimal.digits[0];
    if (significant > 1) {
      text += '.';
      text.append(decimal.digits.data() + 1, significant - 1);
    }
    text += x < 0 ? "E-" : "E+";
    const int magnitude = x < 0 ? -x : x;
    if (magnitude < 10) text += '0';
    text += std::to_string(magnitude);
  }
  return text;
}

}  // namespace

double TextValue(std::string_view text) {
  // Most texts have no blanks at all; copy only when there is something to drop.
  std::string compact;
  if (text.find_first_of(" \t\n") != std::string_view::npos) {
    compact.reserve(text.size());
    for (char c : text)
      if (c != ' ' && c != '\t' && c != '\n') compact += c;
    text = compact;
  }
  const size_t length = NumberPrefixLength(text);
  if (length == 0) return 0;
  bool overflow = false;
  return ReadMatched(text.substr(0, length), overflow);
}

namespace {

bool ReadStrict(std::string_view text, double& value) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return false;
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);
  if (NumberPrefixLength(text) != text.size()) return false;
  bool overflow = false;
  value = ReadMatched(text, overflow);
  return !overflow;
}

}  // namespace

double StrictTextValue(std::string_view text) {
  double value = 0;
  if (!ReadStrict(text, value)) throw RunTimeFailure("Type mismatch");
  return value;
}

bool IsNumericText(std::string_view text) {
  double value = 0;
  return ReadStrict(text, value);
}

std::string TextOf(double value) {
  return GeneralText(value, 15);
}

std::string TextOf(float value) {
  return GeneralText(static_cast<double>(value), 7);
}

std::string FormatFixed(double value, int decimals) {
  RequireFinite(value);
  // Digits of the magnitude, most significant first, and how many stand before the point.
  std::string digits;
  int integer_digits = 1;
  if (value != 0) {
    const Decimal decimal = ToDecimal(std::fabs(value), 15);
    const int keep = decimal.exponent + 1 + decimals;  // significant digits that survive
    if (keep >= decimal.count) {
      digits.assign(decimal.digits.data(), decimal.count);
      digits.append(static_cast<size_t>(keep - decimal.count), '0');
    } else if (keep >= 0) {
      digits.assign(decimal.digits.data(), keep);
      if (decimal.digits[keep] >= '5') {  // half or more: away from zero
        int i = keep - 1;
        for (; i >= 0 && digits[i] == '9'; --i)
          digits[i] = '0';
        if (i >= 0)
          ++digits[i];
        else
          digits.insert(digits.begin(), '1');
      }
    }
    // `digits` now holds the rounded value times 10^decimals; split it at the point.
    if (digits.size() < static_cast<size_t>(decimals) + 1)
      digits.insert(0, decimals + 1 - digits.size(), '0');
    integer_digits = static_cast<int>(digits.size()) - decimals;
  } else {
    digits.assign(static_cast<size_t>(decimals) + 1, '0');
  }
  const bool rounds_to_zero = digits.find_first_not_of('0') == std::string::npos;
  std::string text = value < 0 && !rounds_to_zero ? "-" : "";
  text.append(digits, 0, integer_digits);
  if (decimals > 0) {
    text += '.';
    text.append(digits, integer_digits, decimals);
  }
  return text;
}

std::string FormatFixedText(std::string_view text, int decimals) {
  double value = 0;
  if (!ReadStrict(text, value)) return std::string(text);
  return FormatFixed(value, decimals);
}

std::string TwoDigits(int value) {
  std::string text(2, '0');
  text[0] = static_cast<char>('0' + (value / 10) % 10);
  text[1] = static_cast<char>('0' + value % 10);
  return text;
}

}  // namespace tolvarn
