// How text becomes a number and a number becomes text (number_reading.cpp, number_writing.cpp
// and fixed_format.cpp). Every field holds text, so these rules decide every value the program
// computes, shows and logs. None of them depends on the process's C locale: "." is the only
// decimal point.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tolvarn {

// Lenient reading: blanks, tabs and line feeds anywhere are ignored; the leading number is read
// (optional sign, digits with at most one ".", optional exponent) and the rest ignored.
// No number gives 0. A magnitude beyond the double range gives plus or minus infinity.
double TextValue(std::string_view text);

// Strict reading: the whole text, blanks (U+0020 only) around it aside, must be a number of the
// same grammar within the double range; otherwise throws RunTimeFailure. A number too small for
// a double reads as zero.
double StrictTextValue(std::string_view text);

// Whether StrictTextValue accepts the text.
bool IsNumericText(std::string_view text);

// Whether a text beginning so could be taken for (part of) a number: empty, or its first
// character a digit, a sign, ".", a blank, a tab or a line break, which the readings take or
// skip. A currency symbol must be none of these, as it is written straight before an amount.
// "," counts too, though the readings stop at it: to a user of a "1,00 €" locale it is
// the decimal point and to one of a "1,000.00" locale a digit group mark, so a symbol ","
// would make ",12.50" read as a fraction or a cut-off amount.
bool CanBeginNumber(std::string_view text);

// Full-precision text: what C's "%.15g" writes for a double and "%.7g" for a float, with a
// capital "E" in the exponent form ("1.5E+20", "1E-06"). Negative zero is written "0".
// Throws RunTimeFailure for infinity or NaN, which never reach a field.
std::string TextOf(double value);
std::string TextOf(float value);

// Both readings of a text at once: the lenient value, and whether the strict reading accepts
// the text (in which case it gives the same value). For a number of at most 15 significant
// digits it also keeps those digits, which are the value's 15-digit form, so that formatting it
// needs no conversion.
struct NumberReading {
  double value = 0;
  bool numeric = false;
  uint64_t digits = 0;  // 0: not kept; otherwise the value is digits x 10^exponent
  int exponent = 0;
};
NumberReading ReadNumber(std::string_view text);

// A number's text in a buffer of its own, so that it goes into a field with one copy. It holds
// any full-precision text, and any fixed format of at most 18 digits.
struct NumberText {
  std::array<char, 40> chars{};
  size_t size = 0;
  std::string_view view() const { return {chars.data(), size}; }
};

// A number as the program carries it between steps: writes its full-precision text (as TextOf
// does) into `text` and returns how that text reads back (the number rounded to 15 significant
// digits).
NumberReading CarryInto(double value, NumberText& text);

// The fixed formats "0.0000" to "0": rounded half away from zero to `decimals` places, where a
// halfway case is judged on the value's 15-significant-digit decimal form (so 1.005 gives
// "1.01"). A negative value keeps its sign even when it rounds to zero ("-0.0" for -0.04), as
// C's printf writes it; negative zero itself is written without one. Throws for infinity or NaN.
std::string FormatFixed(double value, int decimals);

// The fixed format of a number read from a text that the strict reading accepts.
std::string FormatFixed(const NumberReading& number, int decimals);
// The same into `text` when the result has at most 18 digits, decimals included; false
// otherwise (the caller uses FormatFixed then).
bool FormatFixedInto(const NumberReading& number, int decimals, NumberText& text);
bool FormatFixedInto(double value, int decimals, NumberText& text);
// TextOf into `text`.
void TextInto(float value, NumberText& text);

// Two digits with a leading zero, for dates and times (0 to 99).
std::string TwoDigits(int value);

}  // namespace tolvarn
