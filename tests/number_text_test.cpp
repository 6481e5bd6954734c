// The rules by which text becomes a number and a number becomes text.
#include "core/number_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include "core/runtime_failure.h"

namespace tolvarn {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct ReadCase {
  const char* meaning;
  std::string text;
  double value;
};

TEST(TextValue, ReadsTheLeadingNumberAndIgnoresBlanksTabsAndLineFeeds) {
  const ReadCase cases[] = {
      {"empty", "", 0},
      {"letters only", "abc", 0},
      {"lone point", ".", 0},
      {"lone sign", "-", 0},
      {"unit after the number", "12.5kg", 12.5},
      {"leading blanks", "   12.5kg", 12.5},
      {"comma is no decimal point", "1,5", 1},
      {"blank inside", "1 2", 12},
      {"tab and line feed inside", "\t1\n2", 12},
      {"blank after the sign", "- 5", -5},
      {"capital exponent with sign", "1E-2x", 0.01},
      {"exponent without digits", "1e", 1},
      {"exponent sign without digits", "1e+", 1},
      {"second point ends the number", "1.2.3", 1.2},
      {"double sign", "--5", 0},
      {"currency symbol first", "\u00A31.5", 0},
      {"hexadecimal is not read", "0x1A", 0},
      {"words for infinity are not read", "inf", 0},
      {"carriage return is not ignored", "\r5", 0},
      {"beyond the double range", "1e400", kInf},
      {"beyond the double range, negative", "-2e999999999999", -kInf},
      {"too small for a double", "1e-400", 0},
      {"smallest subnormal", "4.9e-324", 4.9406564584124654e-324},
  };
  for (const ReadCase& c : cases)
    EXPECT_EQ(TextValue(c.text), c.value) << c.meaning;
}

TEST(CanBeginNumber, HoldsWhatAReaderOrAUserCouldTakeForANumber) {
  const struct {
    std::string text;
    bool can;
  } cases[] = {
      {"", true},        {"0", true},       {"9", true},  {"+", true},   {"-", true},  {".", true},
      {",", true},       {" ", true},       {"\t", true}, {"\n", true},  {"\r", true}, {"$", false},
      {"\u00A3", false}, {"\u20AC", false}, {"E", false}, {"kr", false}, {"/", false}, {":", false},
  };
  for (const auto& row : cases)
    EXPECT_EQ(CanBeginNumber(row.text), row.can) << '"' << row.text << '"';
}

TEST(StrictTextValue, AcceptsOnlyAWholeNumberWithBlanksAround) {
  const ReadCase accepted[] = {
      {"whole number", "5", 5},
      {"blanks around", "  5  ", 5},
      {"trailing point", "5.", 5},
      {"leading point", ".5", 0.5},
      {"plus sign", "+2", 2},
      {"exponent", "1e3", 1000},
      {"written by TextOf", "1.5E+20", 1.5e20},
      {"too small for a double reads as zero", "1e-400", 0},
  };
  for (const ReadCase& c : accepted) {
    EXPECT_EQ(StrictTextValue(c.text), c.value) << c.meaning;
    EXPECT_TRUE(IsNumericText(c.text)) << c.meaning;
  }
  const char* rejected[] = {"",      " ",       "5 kg", "1,5", "- 5", "\t5", "5\t",
                            "1e",    "1e400",   ".",    "abc", "inf", "nan", "0x10",
                            "1.2.3", "\u00A31", "1 2",  "5\n", "+-1", "-1e-"};
  for (const char* text : rejected) {
    EXPECT_THROW(StrictTextValue(text), RunTimeFailure) << '"' << text << '"';
    EXPECT_FALSE(IsNumericText(text)) << '"' << text << '"';
  }
}

// The top of the double range rounds, at 15 digits, to a text that would read back as infinity:
// writing it fails like any overflow rather than writing a text that is no number.
TEST(TextOf, FailsWhereItsTextWouldOverflow) {
  EXPECT_EQ(TextOf(1.79769313486231e308), "1.79769313486231E+308");
  EXPECT_THROW(TextOf(1.7976931348623157e308), RunTimeFailure);
  EXPECT_THROW(TextOf(-1.7976931348623157e308), RunTimeFailure);
  EXPECT_THROW(FormatFixed(1.7976931348623157e308, 2), RunTimeFailure);
  EXPECT_EQ(TextOf(3.4028235e38f), "3.402823E+38");
}

TEST(TextOf, NeverWritesInfinityOrNaN) {
  EXPECT_THROW(TextOf(kInf), RunTimeFailure);
  EXPECT_THROW(TextOf(std::nan("")), RunTimeFailure);
  EXPECT_THROW(TextOf(std::numeric_limits<float>::infinity()), RunTimeFailure);
  EXPECT_THROW(FormatFixed(-kInf, 2), RunTimeFailure);
}

struct FixedCase {
  double value;
  int decimals;
  std::string text;
};

TEST(FormatFixed, RoundsHalfAwayFromZeroOnTheFifteenDigitForm) {
  const FixedCase cases[] = {
      {2.5, 0, "3"},
      {-2.5, 0, "-3"},
      {0.125, 2, "0.13"},
      {1.005, 2, "1.01"},  // 1.00499999999999989... in binary
      {2.675, 2, "2.68"},
      {0.95, 1, "1.0"},
      {9.9996, 3, "10.000"},
      {0.0005, 3, "0.001"},
      {0.0004, 3, "0.000"},
      {-0.0004, 3, "-0.000"},  // negative, though it rounds to zero
      {-0.0, 2, "0.00"},
      {0.4999999, 0, "0"},
      {1e20, 2, "100000000000000000000.00"},
      {123456789012345678.0, 0, "123456789012346000"},
      {1e-20, 2, "0.00"},
  };
  for (const FixedCase& c : cases)
    EXPECT_EQ(FormatFixed(c.value, c.decimals), c.text) << c.value << " to " << c.decimals;
}

// C's printf in the "C" locale is the reference for the full-precision text ("%G" writes the
// capital "E").
TEST(TextOf, AgreesWithPrintfOnRandomValues) {
  std::mt19937_64 random(4300);
  std::uniform_int_distribution<int> exponent(-320, 308);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  char expected[64];
  for (int i = 0; i < 50000; ++i) {
    const double value = mantissa(random) * std::pow(10.0, exponent(random));
    if (!std::isfinite(value) || value == 0) continue;
    std::snprintf(expected, sizeof expected, "%.15G", value);
    ASSERT_EQ(TextOf(value), expected);
    const auto single = static_cast<float>(value);
    if (!std::isfinite(single) || single == 0) continue;
    std::snprintf(expected, sizeof expected, "%.7G", static_cast<double>(single));
    ASSERT_EQ(TextOf(single), expected);
  }
}

// Decimal texts one digit longer than the precision that end in 5 lie next to a halfway point,
// where a quick conversion is most likely to round the wrong way. The C++ library's own
// conversion checks the reading.
TEST(TextOf, AgreesWithPrintfNextToHalfwayPoints) {
  std::mt19937_64 random(7);
  std::uniform_int_distribution<int> digit(0, 9);
  std::uniform_int_distribution<int> exponent(-14, 27);
  char expected[64];
  for (int i = 0; i < 50000; ++i) {
    for (const int length : {8, 15, 16, 17}) {
      std::string text = std::to_string(1 + digit(random) % 9) + ".";
      for (int d = 2; d < length; ++d)
        text += static_cast<char>('0' + digit(random));
      text += "5e" + std::to_string(exponent(random));
      const double value = TextValue(text);
      double reference = 0;
      std::from_chars(text.data(), text.data() + text.size(), reference);
      ASSERT_EQ(value, reference) << text;
      std::snprintf(expected, sizeof expected, "%.15G", value);
      ASSERT_EQ(TextOf(value), expected) << text;
      const auto single = static_cast<float>(value);
      std::snprintf(expected, sizeof expected, "%.7G", static_cast<double>(single));
      ASSERT_EQ(TextOf(single), expected) << text;
    }
  }
}

// The fixed format worked out the long way, for comparison: printf's 15 significant digits
// written out in full, then rounded half up on the decimal digits.
std::string LongWayFixed(double value, int decimals) {
  char scientific[64];
  std::snprintf(scientific, sizeof scientific, "%.14e", std::fabs(value));
  std::string digits = std::string(1, scientific[0]) + std::string(scientific + 2, 14);
  const int exponent = std::atoi(scientific + 17);
  // Place the point: pad with zeros on either side so both parts exist.
  std::string whole, fraction;
  if (exponent >= 0) {
    digits.append(std::max(0, exponent + 1 - 15), '0');
    whole = digits.substr(0, exponent + 1);
    fraction = digits.substr(exponent + 1);
  } else {
    whole = "0";
    fraction = std::string(-exponent - 1, '0') + digits;
  }
  fraction.append(decimals + 1, '0');
  const bool up = fraction[decimals] >= '5';
  std::string kept = whole + fraction.substr(0, decimals);
  if (up) {
    int i = static_cast<int>(kept.size()) - 1;
    for (; i >= 0 && kept[i] == '9'; --i)
      kept[i] = '0';
    if (i < 0)
      kept.insert(kept.begin(), '1');
    else
      ++kept[i];
  }
  std::string text = kept.substr(0, kept.size() - decimals);
  if (decimals > 0) text += "." + kept.substr(kept.size() - decimals);
  if (value < 0) text = "-" + text;
  return text;
}

TEST(FormatFixed, AgreesWithTheLongWayOnRandomValues) {
  std::mt19937_64 random(1005);
  std::uniform_int_distribution<int> exponent(-8, 22);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  for (int i = 0; i < 20000; ++i) {
    const double value = mantissa(random) * std::pow(10.0, exponent(random));
    for (int decimals = 0; decimals <= 4; ++decimals)
      ASSERT_EQ(FormatFixed(value, decimals), LongWayFixed(value, decimals))
          << value << " to " << decimals;
  }
}

// Whatever the program writes, it reads back as a number, and writing that number again gives
// the same text.
TEST(NumberText, EveryWrittenTextReadsBackToItself) {
  std::mt19937_64 random(20261207);
  std::uniform_int_distribution<int> exponent(-30, 30);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  for (int i = 0; i < 20000; ++i) {
    const double value = mantissa(random) * std::pow(10.0, exponent(random));
    const std::string full = TextOf(value);
    ASSERT_TRUE(IsNumericText(full)) << full;
    NumberText carried;
    carried.size = 3;  // a previous text
    const NumberReading reading = CarryInto(value, carried);
    EXPECT_EQ(carried.view(), full);
    EXPECT_EQ(reading.value, TextValue(full)) << full;
    EXPECT_TRUE(reading.numeric);
    EXPECT_EQ(TextOf(TextValue(full)), full);
    EXPECT_EQ(TextValue(full), StrictTextValue(full));
    const std::string single = TextOf(static_cast<float>(value));
    ASSERT_TRUE(IsNumericText(single)) << single;
    NumberText buffer;
    TextInto(static_cast<float>(value), buffer);
    EXPECT_EQ(buffer.view(), single);
    EXPECT_EQ(TextOf(static_cast<float>(TextValue(single))), single);
    for (int decimals = 0; decimals <= 4; ++decimals) {
      const std::string fixed = FormatFixed(value, decimals);
      ASSERT_TRUE(IsNumericText(fixed)) << fixed;
      if (fixed.find_first_not_of("-0.") != std::string::npos) {  // "-0.00" reads back as 0
        EXPECT_EQ(FormatFixed(TextValue(fixed), decimals), fixed);
      }
      // Formatting the number as read gives what formatting its value gives.
      const std::string expected = FormatFixed(TextValue(full), decimals);
      EXPECT_EQ(FormatFixed(reading, decimals), expected) << full;
      // The buffer forms, which decline only results of more than 18 digits.
      NumberText into;
      if (std::fabs(value) < std::pow(10.0, 17 - decimals)) {
        ASSERT_TRUE(FormatFixedInto(value, decimals, into)) << fixed;
        EXPECT_EQ(into.view(), fixed);
        ASSERT_TRUE(FormatFixedInto(reading, decimals, into)) << fixed;
        EXPECT_EQ(into.view(), expected);
      } else if (FormatFixedInto(value, decimals, into)) {
        EXPECT_EQ(into.view(), fixed);
      }
      EXPECT_EQ(fixed.find('E'), std::string::npos) << fixed;
    }
  }
}

}  // namespace
}  // namespace tolvarn
