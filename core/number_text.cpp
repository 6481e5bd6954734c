#include "number_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

#include "runtime_failure.h"

namespace tolvarn {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
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
  static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  overflow = false;
  double magnitude = 0;
  if (number.mantissa == 0 && number.exact) {
    magnitude = 0;
  } else if (number.exact && number.exponent >= -22 && number.exponent <= 22) {
    // Mantissa and power of ten are both exact doubles, so one operation rounds correctly.
    const auto m = static_cast<double>(number.mantissa);
    magnitude = number.exponent >= 0 ? m * kPowers[number.exponent] : m / kPowers[-number.exponent];
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

// A value's first `count` significant decimal digits, correctly rounded from its exact binary
// value, and the decimal exponent of the first one: what C's "%.*e" writes.
struct Decimal {
  std::array<char, 20> digits{};
  int count = 0;
  int exponent = 0;
};

// Quick path: the value times a power of ten in 64-bit-mantissa arithmetic. The power is exact
// and the product carries one rounding of at most 2^-64 relative, so the rounded integer is
// right unless the product lies within a hair of a halfway point; then the slow path decides.
bool QuickDecimal(double magnitude, int count, Decimal& decimal) {
  static constexpr long double kPowers[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,
                                            1e7L,  1e8L,  1e9L,  1e10L, 1e11L, 1e12L, 1e13L,
                                            1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L, 1e20L,
                                            1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};
  if (std::numeric_limits<long double>::digits < 64 || magnitude < 1e-12 || magnitude >= 1e26)
    return false;
  // floor(log10(2) * binary exponent), which may be one too small; the loop corrects it.
  const int binary_exponent =
      static_cast<int>((std::bit_cast<uint64_t>(magnitude) >> 52) & 0x7FF) - 1023;
  int decimal_exponent = (binary_exponent * 78913) >> 18;
  const long double low = kPowers[count - 1];
  const long double high = kPowers[count];
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int scale = count - 1 - decimal_exponent;
    if (scale < -27 || scale > 27) return false;
    const long double scaled = scale >= 0 ? static_cast<long double>(magnitude) * kPowers[scale]
                                          : static_cast<long double>(magnitude) / kPowers[-scale];
    if (scaled >= high) {
      ++decimal_exponent;
      continue;
    }
    if (scaled < low) {
      --decimal_exponent;
      continue;
    }
    auto digits = static_cast<uint64_t>(scaled);  // positive, so this is the floor
    const long double fraction = scaled - static_cast<long double>(digits);
    if (fraction > 0.499L && fraction < 0.501L) return false;
    if (fraction > 0.5L) ++digits;
    if (static_cast<long double>(digits) >= high) {  // 999.. rounded up to 1000..
      digits /= 10;
      ++decimal_exponent;
    }
    for (int i = count - 1; i >= 0; --i) {
      decimal.digits[i] = static_cast<char>('0' + digits % 10);
      digits /= 10;
    }
    decimal.count = count;
    decimal.exponent = decimal_exponent;
    return true;
  }
  return false;
}

Decimal ToDecimal(double magnitude, int count) {
  Decimal decimal;
  if (QuickDecimal(magnitude, count, decimal)) return decimal;
  std::array<char, 64> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                    std::chars_format::scientific, count - 1);
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
  std::array<char, 40> buffer;
  char* out = buffer.data();
  if (value < 0) *out++ = '-';
  const char* const digits = decimal.digits.data();
  const int x = decimal.exponent;
  if (x >= -4 && x < precision) {
    if (x >= 0) {
      for (int i = 0; i <= x; ++i)
        *out++ = i < significant ? digits[i] : '0';
      if (significant > x + 1) {
        *out++ = '.';
        out = std::copy(digits + x + 1, digits + significant, out);
      }
    } else {
      *out++ = '0';
      *out++ = '.';
      out = std::fill_n(out, -x - 1, '0');
      out = std::copy(digits, digits + significant, out);
    }
  } else {
    *out++ = digits[0];
    if (significant > 1) {
      *out++ = '.';
      out = std::copy(digits + 1, digits + significant, out);
    }
    *out++ = 'E';
    *out++ = x < 0 ? '-' : '+';
    const int magnitude = x < 0 ? -x : x;
    if (magnitude >= 100) *out++ = static_cast<char>('0' + magnitude / 100);
    *out++ = static_cast<char>('0' + magnitude / 10 % 10);
    *out++ = static_cast<char>('0' + magnitude % 10);
  }
  return std::string(buffer.data(), out);
}

bool ReadStrict(std::string_view text, double& value) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return false;
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);
  const Scanned number = Scan(text);
  if (number.length != text.size()) return false;
  bool overflow = false;
  value = Read(text, number, overflow);
  return !overflow;
}

}  // namespace

double TextValue(std::string_view text) {
  // Most texts have no blanks at all; copy only when there is something to drop.
  std::string compact;
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
  if (std::any_of(text.begin(), text.end(), blank)) {
    compact.reserve(text.size());
    for (char c : text)
      if (!blank(c)) compact += c;
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
