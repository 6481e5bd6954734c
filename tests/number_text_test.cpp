// The rules by which text becomes a number and a number becomes text.
#include "core/number_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "core/runtime_failure.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace tolvarn {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// TextValue reads the leading number, ignoring blanks, tabs and line feeds anywhere; the strict
// reading (StrictTextValue, IsNumericText) takes only a whole number with blanks around, and
// then gives the same value. A comma is no decimal point; "inf", hexadecimal, a currency
// symbol first and a carriage return are not read.
TEST(TextValue, ReadsTheLeadingNumberAndStrictlyOnlyAWholeNumber) {
  const struct {
    std::string text;
    double value;
    bool strict;
  } cases[] = {
      {"", 0, false},           {"abc", 0, false},
      {".", 0, false},          {"5", 5, true},
      {"  5  ", 5, true},       {"5.", 5, true},
      {".5", 0.5, true},        {"+2", 2, true},
      {"1e3", 1000, true},      {"1.5E+20", 1.5e20, true},
      {" 12.5kg", 12.5, false}, {"1,5", 1, false},
      {"1 2", 12, false},       {"\t1\n2", 12, false},
      {"- 5", -5, false},       {"\t5", 5, false},
      {"5\n", 5, false},        {"1E-2x", 0.01, false},
      {"1e", 1, false},         {"-1e-", -1, false},
      {"1.2.3", 1.2, false},    {"--5", 0, false},
      {"\u00A31", 0, false},    {"0x1A", 0, false},
      {"inf", 0, false},        {"\r5", 0, false},
      {"1e400", kInf, false},   {"-2e999999", -kInf, false},
      {"1e-400", 0, true},      {"4.9e-324", 5e-324, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE('"' + c.text + '"');
    EXPECT_EQ(TextValue(c.text), c.value);
    EXPECT_EQ(IsNumericText(c.text), c.strict);
    if (c.strict)
      EXPECT_EQ(StrictTextValue(c.text), c.value);
    else
      EXPECT_THROW(StrictTextValue(c.text), RunTimeFailure);
  }
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

// Never inf or NaN: the top of the double range rounds, at 15 digits, to a text that would
// read back as infinity, so writing it fails like any overflow.
TEST(TextOf, FailsRatherThanWriteInfinityOrNaN) {
  EXPECT_EQ(TextOf(1.79769313486231e308), "1.79769313486231E+308");
  EXPECT_EQ(TextOf(3.4028235e38f), "3.402823E+38");
  for (const double value : {1.7976931348623157e308, -1.7976931348623157e308, kInf, std::nan("")}) {
    EXPECT_THROW(TextOf(value), RunTimeFailure) << value;
    EXPECT_THROW(FormatFixed(value, 2), RunTimeFailure) << value;
  }
  EXPECT_THROW(TextOf(std::numeric_limits<float>::infinity()), RunTimeFailure);
}

// C's printf in the "C" locale is the reference for the full-precision text ("%G" writes the
// capital "E"), on random values over the whole range and on decimal texts one digit longer
// than the precision that end in 5: they lie next to a halfway point, where a quick conversion
// is most likely to round the wrong way. The C++ library's own conversion checks the reading.
TEST(TextOf, AgreesWithPrintf) {
  std::mt19937_64 random(7);
  std::uniform_int_distribution<int> digit(0, 9), exponent(-320, 308), near(-14, 27);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  char expected[64];
  for (int i = 0; i < 50000; ++i) {
    std::vector<double> values = {mantissa(random) * std::pow(10.0, exponent(random))};
    for (const int length : {8, 15, 16, 17}) {
      std::string text = std::to_string(1 + digit(random) % 9) + ".";
      for (int d = 2; d < length; ++d)
        text += static_cast<char>('0' + digit(random));
      text += "5e" + std::to_string(near(random));
      values.push_back(TextValue(text));
      double reference = 0;
      std::from_chars(text.data(), text.data() + text.size(), reference);
      ASSERT_EQ(values.back(), reference) << text;
    }
    for (const double value : values) {
      if (!std::isfinite(value) || value == 0) continue;
      std::snprintf(expected, sizeof expected, "%.15G", value);
      ASSERT_EQ(TextOf(value), expected);
      const auto single = static_cast<float>(value);
      if (!std::isfinite(single) || single == 0) continue;
      std::snprintf(expected, sizeof expected, "%.7G", static_cast<double>(single));
      ASSERT_EQ(TextOf(single), expected);
    }
  }
}

// The fixed format worked out the long way: printf's 15 significant digits as a whole number,
// rounded half away from zero on the decimal digits.
std::string LongWayFixed(double value, int decimals) {
  char scientific[64];
  std::snprintf(scientific, sizeof scientific, "%.14e", std::fabs(value));
  std::string digits = scientific[0] + std::string(scientific + 2, 14);
  const int shift = std::atoi(scientific + 17) - 14 + decimals;  // digits x 10^shift
  if (shift >= 0) {
    digits.append(shift, '0');
  } else if (shift < -15) {
    digits = "0";
  } else {
    const uint64_t whole = std::stoull(digits), unit = std::stoull("1" + std::string(-shift, '0'));
    digits = std::to_string(whole / unit + (whole % unit * 2 >= unit ? 1 : 0));
  }
  digits.insert(0, std::max(0, decimals + 1 - static_cast<int>(digits.size())), '0');
  if (decimals > 0) digits.insert(digits.size() - decimals, ".");
  return (value < 0 ? "-" : "") + digits;
}

// Halfway cases are judged on the decimal form (1.005 is 1.00499999999999989... in binary); a
// negative value keeps its sign though it rounds to zero.
TEST(FormatFixed, AgreesWithTheLongWay) {
  EXPECT_EQ(LongWayFixed(1.005, 2), "1.01");
  std::vector<double> values = {
      2.5,    -2.5,   0.125,   1.005, 2.675,     0.95, 9.9996,
      0.0005, 0.0004, -0.0004, -0.0,  0.4999999, 1e20, 123456789012345678.0,
      1e-20};
  std::mt19937_64 random(1005);
  std::uniform_int_distribution<int> exponent(-8, 22);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  for (int i = 0; i < 20000; ++i)
    values.push_back(mantissa(random) * std::pow(10.0, exponent(random)));
  for (const double value : values)
    for (int decimals = 0; decimals <= 4; ++decimals)
      ASSERT_EQ(FormatFixed(value, decimals), LongWayFixed(value, decimals))
          << value << " to " << decimals;
}

// Whatever the program writes reads back as a number, and writing that number again gives the
// same text: the number fuzz target's checks on random values and on the texts written for
// them, in a child process, as they end the run on a failure.
TEST(NumberText, EveryWrittenTextReadsBackToItself) {
  const auto check = [] {
    std::mt19937_64 random(20261207);
    std::uniform_int_distribution<int> exponent(-30, 30);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    for (int i = 0; i < 20000; ++i) {
      const double value = mantissa(random) * std::pow(10.0, exponent(random));
      const std::string text = TextOf(value);
      NumberText carried;
      carried.size = 3;  // a previous text, which goes
      CarryInto(value, carried);
      if (carried.view() != text) fuzz::Fail("CarryInto over a previous text", text);
      LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(&value), sizeof value);
      LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    }
    std::exit(0);
  };
  EXPECT_EXIT(check(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace tolvarn
