// Arithmetic that fails instead of producing infinity or NaN. A value beyond the double range
// (read as infinity) fails any operation it enters, as does an overflow or a division by zero,
// so that no such value ever reaches a field.
#pragma once

#include <cmath>
#include <cstdint>

#include "core/runtime_failure.h"

namespace tolvarn {

// Whether a value read from the user or a file lies within [minimum, maximum], and is whole
// where it must be. NaN fails both comparisons, and infinity the range.
inline bool WithinRange(double value, double minimum, double maximum, bool whole = false) {
  return value >= minimum && value <= maximum && (!whole || value == std::floor(value));
}

}  // namespace tolvarn

namespace tolvarn::checked {

inline double Finite(double value) {
  if (!std::isfinite(value)) throw RunTimeFailure("Overflow");
  return value;
}

inline double Add(double a, double b) {
  return Finite(Finite(a) + Finite(b));
}
inline double Sub(double a, double b) {
  return Finite(Finite(a) - Finite(b));
}
inline double Mul(double a, double b) {
  return Finite(Finite(a) * Finite(b));
}
inline double Div(double a, double b) {
  if (Finite(b) == 0) throw RunTimeFailure("Division by zero");
  return Finite(Finite(a) / b);
}
inline double Pow(double base, double exponent) {
  return Finite(std::pow(Finite(base), Finite(exponent)));
}

// Stores a double into a 32-bit value, failing where it would overflow. Values from the largest
// float up to halfway to the next power of two still round to the largest float.
inline float ToSingle(double value) {
  constexpr double kOverflow = 0x1.ffffffp+127;
  if (std::fabs(Finite(value)) >= kOverflow) throw RunTimeFailure("Overflow");
  return static_cast<float>(value);
}

// The largest whole number not above the value, which must fit a signed 16-bit integer.
inline int16_t FloorToInt16(double value) {
  const double whole = std::floor(Finite(value));
  if (whole < INT16_MIN || whole > INT16_MAX) throw RunTimeFailure("Overflow");
  return static_cast<int16_t>(whole);
}

}  // namespace tolvarn::checked
