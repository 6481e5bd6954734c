// Internals of the number text files (reading, writing, fixed formats): decimal forms, digits
// and the powers of ten. Not for use outside them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tolvarn::number_detail {

// The powers of ten 10^0 to 10^(Count - 1), each exact in T: every product of an exact power by
// ten is exact while the result fits T's mantissa, as it does for the counts below.
template <class T, size_t Count>
constexpr std::array<T, Count> PowersOfTen() {
  std::array<T, Count> powers{};
  T power = 1;
  for (T& entry : powers) {
    entry = power;
    power *= 10;
  }
  return powers;
}
// Every power that fits a 64-bit integer, every one a double holds exactly (so that digits
// times a power is one correct rounding), and every one a 64-bit long double mantissa holds.
inline constexpr auto kPowersOfTen = PowersOfTen<uint64_t, 19>();
inline constexpr auto kExactPowers = PowersOfTen<double, 23>();
inline constexpr auto kLongPowers = PowersOfTen<long double, 28>();
static_assert(kPowersOfTen[18] == 1000000000000000000ULL && kExactPowers[22] == 1e22);

inline bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A value's first `count` significant decimal digits, correctly rounded from its exact binary
// value, and the decimal exponent of the first one: what C's "%.*e" writes. `mantissa` has
// exactly `count` digits; a count of 0 stands for zero.
struct Decimal {
  uint64_t mantissa = 0;
  int count = 0;
  int exponent = 0;
};

// The first `count` (1 to 17) significant digits of a finite positive value. Throws
// RunTimeFailure when 15 digits round above the largest double.
Decimal ToDecimal(double magnitude, int count);

// Throws RunTimeFailure for infinity or NaN.
void RequireFinite(double value);

inline int DigitCount(uint64_t value) {
  int count = 1;
  while (count < 19 && value >= kPowersOfTen[count])
    ++count;
  return count;
}

// Writes `value` as exactly `count` digits, leading zeros included.
inline void WriteSmallDigits(uint32_t value, int count, char* out) {
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
inline void WriteDigits(uint64_t value, int count, char* out) {
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

}  // namespace tolvarn::number_detail
