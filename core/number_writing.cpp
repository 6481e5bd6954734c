// Number to text: the full-precision texts ("%.15g", "%.7g") and the number as the program
// carries it between steps.
#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "core/number_digits.h"
#include "core/number_text.h"
#include "core/runtime_failure.h"

namespace tolvarn {
namespace number_detail {
namespace {

// Quick path: the value times a power of ten in 64-bit-mantissa arithmetic. The power is exact
// and the product carries one rounding of at most 2^-64 relative, so the rounded integer is
// right unless the product lies within a hair of a halfway point; then the slow path decides.
bool QuickDecimal(double magnitude, int count, Decimal& decimal) {
  if (std::numeric_limits<long double>::digits < 64 || magnitude < 1e-12 || magnitude >= 1e26)
    return false;
  // floor(log10(2) * binary exponent), which may be one too small; the loop corrects it.
  const int binary_exponent =
      static_cast<int>((std::bit_cast<uint64_t>(magnitude) >> 52) & 0x7FF) - 1023;
  int decimal_exponent = (binary_exponent * 78913) >> 18;
  const long double low = kLongPowers[count - 1];
  const long double high = kLongPowers[count];
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int scale = count - 1 - decimal_exponent;
    if (scale < -27 || scale > 27) return false;
    const long double scaled = scale >= 0
                                   ? static_cast<long double>(magnitude) * kLongPowers[scale]
                                   : static_cast<long double>(magnitude) / kLongPowers[-scale];
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
    if (digits >= kPowersOfTen[count]) {  // 999.. rounded up to 1000..
      digits /= 10;
      ++decimal_exponent;
    }
    decimal = {digits, count, decimal_exponent};
    return true;
  }
  return false;
}

}  // namespace

// The largest 15-digit decimal that still reads back as a double: anything that rounds above
// it (the top of the double range) would read back as infinity.
constexpr uint64_t kLargestReadable15 = 179769313486231;

Decimal ToDecimal(double magnitude, int count) {
  Decimal decimal;
  if (QuickDecimal(magnitude, count, decimal)) return decimal;
  std::array<char, 64> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                    std::chars_format::scientific, count - 1);
  const char* p = buffer.data();
  for (; p < result.ptr && *p != 'e'; ++p)
    if (IsDigit(*p)) {
      decimal.mantissa = decimal.mantissa * 10 + static_cast<uint64_t>(*p - '0');
      ++decimal.count;
    }
  ++p;  // 'e'
  const bool negative = *p == '-';
  ++p;
  int exponent = 0;
  for (; p < result.ptr; ++p)
    exponent = exponent * 10 + (*p - '0');
  decimal.exponent = negative ? -exponent : exponent;
  if (count == 15 && decimal.exponent == 308 && decimal.mantissa > kLargestReadable15)
    throw RunTimeFailure("Overflow");
  return decimal;
}

void RequireFinite(double value) {
  if (!std::isfinite(value)) throw RunTimeFailure("Overflow");
}

}  // namespace number_detail

using number_detail::Decimal;
using number_detail::kExactPowers;
using number_detail::kPowersOfTen;
using number_detail::RequireFinite;
using number_detail::ToDecimal;
using number_detail::WriteDigits;

namespace {

// "%.<precision>g" with a capital E, for a finite value.
void GeneralTextInto(const Decimal& decimal, bool negative, int precision, NumberText& text) {
  // Drop the trailing zeros first, in halving steps (a digit count is a sum of 8, 4, 2 and 1),
  // so that only significant digits are written.
  uint64_t mantissa = decimal.mantissa;
  int significant = decimal.count;
  const auto drop = [&]<int Step>() {
    if (significant > Step && mantissa % kPowersOfTen[Step] == 0) {
      mantissa /= kPowersOfTen[Step];
      significant -= Step;
    }
  };
  drop.operator()<8>();
  drop.operator()<4>();
  drop.operator()<2>();
  drop.operator()<1>();
  std::array<char, 20> digit_chars;
  char* const digits = digit_chars.data();
  WriteDigits(mantissa, significant, digits);

  char* const start = text.chars.data();
  char* out = start;
  if (negative) *out++ = '-';
  const int x = decimal.exponent;
  if (x >= 0 && x < precision) {
    if (significant > x + 1) {
      out = std::copy_n(digits, x + 1, out);
      *out++ = '.';
      out = std::copy(digits + x + 1, digits + significant, out);
    } else {
      out = std::copy_n(digits, significant, out);
      out = std::fill_n(out, x + 1 - significant, '0');
    }
  } else if (x < 0 && x >= -4) {
    *out++ = '0';
    *out++ = '.';
    out = std::fill_n(out, -x - 1, '0');
    out = std::copy_n(digits, significant, out);
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
  text.size = static_cast<size_t>(out - start);
}

void GeneralTextInto(double value, int precision, NumberText& text) {
  RequireFinite(value);
  if (value == 0) {
    text.chars[0] = '0';
    text.size = 1;
    return;
  }
  GeneralTextInto(ToDecimal(std::fabs(value), precision), value < 0, precision, text);
}

std::string GeneralText(double value, int precision) {
  NumberText text;
  GeneralTextInto(value, precision, text);
  return std::string(text.view());
}

// The value of a decimal form: exact when its digits and power of ten are exact doubles.
bool DecimalValue(const Decimal& decimal, double& value) {
  const int exponent = decimal.exponent - (decimal.count - 1);
  if (exponent < -22 || exponent > 22 || decimal.mantissa > (uint64_t{1} << 53)) return false;
  const auto m = static_cast<double>(decimal.mantissa);
  value = exponent >= 0 ? m * kExactPowers[static_cast<size_t>(exponent)]
                        : m / kExactPowers[static_cast<size_t>(-exponent)];
  return true;
}

}  // namespace

std::string TextOf(double value) {
  return GeneralText(value, 15);
}

NumberReading CarryInto(double value, NumberText& text) {
  RequireFinite(value);
  if (value == 0) {
    text.chars[0] = '0';
    text.size = 1;
    return {0, true, 0, 0};
  }
  const Decimal decimal = ToDecimal(std::fabs(value), 15);
  GeneralTextInto(decimal, value < 0, 15, text);
  NumberReading reading{0, true, decimal.mantissa, decimal.exponent - (decimal.count - 1)};
  if (DecimalValue(decimal, reading.value)) {
    if (value < 0) reading.value = -reading.value;
  } else {
    reading.value = TextValue(text.view());
  }
  return reading;
}

std::string TextOf(float value) {
  return GeneralText(static_cast<double>(value), 7);
}

void TextInto(float value, NumberText& text) {
  GeneralTextInto(static_cast<double>(value), 7, text);
}

std::string TwoDigits(int value) {
  std::string text(2, '0');
  text[0] = static_cast<char>('0' + (value / 10) % 10);
  text[1] = static_cast<char>('0' + value % 10);
  return text;
}

}  // namespace tolvarn
