// The fixed formats "0.0000" to "0": rounding half away from zero on a value's 15-digit form,
// with a quick path in integer arithmetic for results of at most 18 digits.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <utility>

#include "core/number_digits.h"
#include "core/number_text.h"

namespace tolvarn {

using number_detail::Decimal;
using number_detail::DigitCount;
using number_detail::kPowersOfTen;
using number_detail::RequireFinite;
using number_detail::ToDecimal;
using number_detail::WriteDigits;

namespace {

// value / 10^exponent and value % 10^exponent, with the divisor a constant in each case so that
// no hardware division is needed (one costs tens of cycles).
struct QuotientRemainder {
  uint64_t quotient;
  uint64_t remainder;
};

template <int Exponent>
QuotientRemainder DivideBy(uint64_t value) {
  return {value / kPowersOfTen[Exponent], value % kPowersOfTen[Exponent]};
}

template <int... Exponents>
constexpr auto Dividers(std::integer_sequence<int, Exponents...>) {
  return std::array<QuotientRemainder (*)(uint64_t), sizeof...(Exponents)>{&DivideBy<Exponents>...};
}

constexpr auto kDividers = Dividers(std::make_integer_sequence<int, 19>{});

QuotientRemainder DividePowerOfTen(uint64_t value, int exponent) {
  return kDividers[static_cast<size_t>(exponent)](value);
}

// The digits of a decimal form as text; exactly `count` characters.
int DigitChars(const Decimal& decimal, char* out) {
  WriteDigits(decimal.mantissa, decimal.count, out);
  return decimal.count;
}

// The fixed format of a value given by its 15-significant-digit form, for a rounded result
// below 10^18: integer arithmetic on the digits.
bool QuickFormatDecimal(const Decimal& decimal, bool negative, int decimals, NumberText& text) {
  const int keep = decimal.exponent + 1 + decimals;  // significant digits that survive
  if (keep > 18) return false;
  uint64_t rounded = 0;  // the rounded magnitude times 10^decimals
  if (decimal.count > 0 && keep >= 0) {
    if (keep >= decimal.count) {
      rounded = decimal.mantissa * kPowersOfTen[keep - decimal.count];
    } else {
      const int dropped = decimal.count - keep;
      const QuotientRemainder split = DividePowerOfTen(decimal.mantissa, dropped);
      rounded = split.quotient;
      if (split.remainder >= kPowersOfTen[dropped] / 2) ++rounded;  // half or more: away from 0
    }
  }
  const int digits = std::max(DigitCount(rounded), decimals + 1);
  char* const start = text.chars.data();
  char* out = start;
  if (negative) *out++ = '-';
  const QuotientRemainder parts = DividePowerOfTen(rounded, decimals);
  WriteDigits(parts.quotient, digits - decimals, out);
  out += digits - decimals;
  if (decimals > 0) {
    *out++ = '.';
    WriteDigits(parts.remainder, decimals, out);
    out += decimals;
  }
  text.size = static_cast<size_t>(out - start);
  return true;
}

// The fixed format of a value given by its 15-significant-digit form.
std::string FormatDecimal(const Decimal& decimal, bool negative, int decimals) {
  NumberText quick;
  if (QuickFormatDecimal(decimal, negative, decimals, quick)) return std::string(quick.view());
  // The rounded magnitude times 10^decimals, as digits; values reach 10^309 at the most.
  std::array<char, 340> digits;
  int length = 0;
  const int keep = decimal.exponent + 1 + decimals;  // significant digits that survive
  if (decimal.count > 0 && keep >= 0) {
    std::array<char, 20> source;
    DigitChars(decimal, source.data());
    if (keep >= decimal.count) {
      std::copy_n(source.data(), decimal.count, digits.data());
      std::fill_n(digits.data() + decimal.count, keep - decimal.count, '0');
      length = keep;
    } else {
      std::copy_n(source.data(), keep, digits.data() + 1);  // room for a carry in front
      digits[0] = '0';
      length = keep + 1;
      if (source[keep] >= '5') {  // half or more: away from zero
        int i = length - 1;
        for (; digits[i] == '9'; --i)
          digits[i] = '0';
        ++digits[i];
      }
    }
  }
  // At least one digit before the point.
  const int minimum = decimals + 1;
  if (length < minimum) {
    std::copy_backward(digits.data(), digits.data() + length, digits.data() + minimum);
    std::fill_n(digits.data(), minimum - length, '0');
    length = minimum;
  }
  const char* first = digits.data();
  const char* const end = digits.data() + length;
  while (end - first > minimum && *first == '0')
    ++first;
  std::string text;
  text.reserve(static_cast<size_t>(end - first) + 2);
  if (negative) text += '-';
  const char* const point = end - decimals;
  text.append(first, point);
  if (decimals > 0) {
    text += '.';
    text.append(point, end);
  }
  return text;
}

// The 15-digit form of a number read from a text: a number written with at most 15 significant
// digits (as the program writes them) reads back to a double whose 15-digit form is those
// digits, so they can be used as they stand.
Decimal DecimalOf(const NumberReading& number) {
  if (number.digits == 0) {
    RequireFinite(number.value);
    return number.value == 0 ? Decimal{} : ToDecimal(std::fabs(number.value), 15);
  }
  const int count = DigitCount(number.digits);
  return {number.digits, count, count - 1 + number.exponent};
}

}  // namespace

std::string FormatFixed(double value, int decimals) {
  RequireFinite(value);
  const Decimal decimal = value == 0 ? Decimal{} : ToDecimal(std::fabs(value), 15);
  return FormatDecimal(decimal, value < 0, decimals);
}

std::string FormatFixed(const NumberReading& number, int decimals) {
  return FormatDecimal(DecimalOf(number), number.value < 0, decimals);
}

bool FormatFixedInto(const NumberReading& number, int decimals, NumberText& text) {
  return QuickFormatDecimal(DecimalOf(number), number.value < 0, decimals, text);
}

bool FormatFixedInto(double value, int decimals, NumberText& text) {
  return FormatFixedInto(NumberReading{value, true, 0, 0}, decimals, text);
}

}  // namespace tolvarn
