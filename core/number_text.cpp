#include "core/number_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>
#include <utility>

#include "core/runtime_failure.h"

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
// value, and the decimal exponent of the first one: what C's "%.*e" writes. `mantissa` has
// exactly `count` digits; a count of 0 stands for zero.
struct Decimal {
  uint64_t mantissa = 0;
  int count = 0;
  int exponent = 0;
};

constexpr uint64_t kPowersOfTen[] = {1ULL,
                                     10ULL,
                                     100ULL,
                                     1000ULL,
                                     10000ULL,
                                     100000ULL,
                                     1000000ULL,
                                     10000000ULL,
                                     100000000ULL,
                                     1000000000ULL,
                                     10000000000ULL,
                                     100000000000ULL,
                                     1000000000000ULL,
                                     10000000000000ULL,
                                     100000000000000ULL,
                                     1000000000000000ULL,
                                     10000000000000000ULL,
                                     100000000000000000ULL,
                                     1000000000000000000ULL};

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

int DigitCount(uint64_t value) {
  int count = 1;
  while (count < 19 && value >= kPowersOfTen[count])
    ++count;
  return count;
}

// Writes `value` as exactly `count` digits, leading zeros included.
void WriteSmallDigits(uint32_t value, int count, char* out) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  int i = count;
  for (; i >= 2; i -= 2) {
    const auto pair = static_cast<size_t>(value % 100) * 2;
    value /= 100;
    out[i - 1] = kPairs[pair + 1];
    out[i - 2] = kPairs[pair];
  }
  if (i == 1) out[0] = static_cast<char>('0' + value % 10);
}

// Writes `value` as exactly `count` digits, leading zeros included. The low eight digits and
// the rest are written separately in 32-bit arithmetic, which is quicker than 64-bit.
void WriteDigits(uint64_t value, int count, char* out) {
  constexpr uint64_t kEight = 100'000'000;
  if (count <= 8) {
    WriteSmallDigits(static_cast<uint32_t>(value), count, out);
    return;
  }
  const uint64_t high = value / kEight;
  if (count > 17) {
    WriteDigits(high, count - 8, out);
  } else {
    WriteSmallDigits(static_cast<uint32_t>(high), count - 8, out);
  }
  WriteSmallDigits(static_cast<uint32_t>(value % kEight), 8, out + count - 8);
}

// The digits of a decimal form as text; exactly `count` characters.
int DigitChars(const Decimal& decimal, char* out) {
  WriteDigits(decimal.mantissa, decimal.count, out);
  return decimal.count;
}

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
    if (digits >= kPowersOfTen[count]) {  // 999.. rounded up to 1000..
      digits /= 10;
      ++decimal_exponent;
    }
    decimal = {digits, count, decimal_exponent};
    return true;
  }
  return false;
}

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
  static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const int exponent = decimal.exponent - (decimal.count - 1);
  if (exponent < -22 || exponent > 22 || decimal.mantissa > (uint64_t{1} << 53)) return false;
  const auto m = static_cast<double>(decimal.mantissa);
  value = exponent >= 0 ? m * kPowers[exponent] : m / kPowers[-exponent];
  return true;
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

bool CanBeginNumber(std::string_view text) {
  if (text.empty()) return true;
  const char c = text.front();
  return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == ',' || c == ' ' ||
         c == '\t' || c == '\n' || c == '\r';
}

bool IsNumericText(std::string_view text) {
  double value = 0;
  return ReadStrict(text, value);
}

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

NumberReading CarryInto(double value, std::string& text) {
  NumberText written;
  const NumberReading reading = CarryInto(value, written);
  text.assign(written.view());
  return reading;
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

NumberReading ReadNumber(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
  if (std::any_of(text.begin(), text.end(), blank)) return {TextValue(text), IsNumericText(text)};
  // Without blanks both readings scan the same characters.
  const Scanned number = Scan(text);
  if (number.length == 0) return {};
  bool overflow = false;
  NumberReading reading{Read(text, number, overflow), number.length == text.size() && !overflow};
  if (reading.numeric) KeepDigits(number, reading);
  return reading;
}

std::string TextOf(float value) {
  return GeneralText(static_cast<double>(value), 7);
}

void TextInto(float value, NumberText& text) {
  GeneralTextInto(static_cast<double>(value), 7, text);
}

namespace {

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

}  // namespace

std::string FormatFixed(double value, int decimals) {
  RequireFinite(value);
  const Decimal decimal = value == 0 ? Decimal{} : ToDecimal(std::fabs(value), 15);
  return FormatDecimal(decimal, value < 0, decimals);
}

namespace {

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

std::string FormatFixed(const NumberReading& number, int decimals) {
  return FormatDecimal(DecimalOf(number), number.value < 0, decimals);
}

bool FormatFixedInto(const NumberReading& number, int decimals, NumberText& text) {
  return QuickFormatDecimal(DecimalOf(number), number.value < 0, decimals, text);
}

bool FormatFixedInto(double value, int decimals, NumberText& text) {
  return FormatFixedInto(NumberReading{value, true, 0, 0}, decimals, text);
}

std::string FormatFixedText(std::string_view text, int decimals) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::string(text);
  const std::string_view number = text.substr(first, text.find_last_not_of(' ') - first + 1);
  const Scanned scanned = Scan(number);
  if (scanned.length != number.size()) return std::string(text);
  bool overflow = false;
  NumberReading reading{Read(number, scanned, overflow), true};
  if (overflow) return std::string(text);
  KeepDigits(scanned, reading);
  return FormatFixed(reading, decimals);
}

std::string TwoDigits(int value) {
  std::string text(2, '0');
  text[0] = static_cast<char>('0' + (value / 10) % 10);
  text[1] = static_cast<char>('0' + value % 10);
  return text;
}

}  // namespace tolvarn
