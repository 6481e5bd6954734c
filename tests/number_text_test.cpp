// The rules by which text becomes a number and a number becomes text.
#include "core/number_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/runtime_failure.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace tolvarn {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// TextValue reads the leading number, ignoring blanks, tabs and line feeds anywhere; the strict
// reading takes only a whole number with blanks around (StrictTextValue: the fuzz target's checks
// hold it to IsNumericText and to the same value). A comma is no decimal point; "inf",
// hexadecimal, a currency symbol first and a carriage return are not read.
TEST(TextValue, ReadsTheLeadingNumberAndStrictlyOnlyAWholeNumber) {
  using Readings = std::vector<std::pair<std::string, double>>;
  const Readings whole = {{"5", 5},      {"  5  ", 5},  {"5.", 5},
                          {".5", 0.5},   {"+2", 2},     {"1.5E+20", 1.5e20},
                          {"1e3", 1000}, {"1e-400", 0}, {"4.9e-324", 5e-324}};
  const Readings not_whole = {
      {"", 0},         {"abc", 0},           {".", 0},        {" 12.5kg", 12.5}, {"1,5", 1},
      {"\t1\n2", 12},  {"5\n", 5},           {"1E-2x", 0.01}, {"1e", 1},         {"1.2.3", 1.2},
      {"--5", 0},      {"\u00A31", 0},       {"0x1A", 0},     {"inf", 0},        {"\r5", 0},
      {"1e400", kInf}, {"-2e999999", -kInf}, {"1:5", 1}};
  for (const bool strict : {true, false})
    for (const auto& [text, value] : strict ? whole : not_whole) {
      EXPECT_EQ(TextValue(text), value) << '"' << text << '"';
      EXPECT_EQ(IsNumericText(text), strict) << '"' << text << '"';
      LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    }
}

// printf in the "C" locale is the reference: "%G" for the full text of random values and of
// decimal texts next to a halfway point (one digit beyond the precision, a final 5), where a
// quick conversion most likely rounds wrong; "%.*f" for the fixed format of odd multiples of
// 1/1024 below 10^5 (exact, no digit halfway). The C++ library checks the reading. Every value
// then passes the number fuzz target's checks, which end the run where one fails.
TEST(NumberText, AgreesWithPrintfAndReadsBackToItself) {
  std::mt19937_64 random(7);
  std::uniform_int_distribution<int> digit(0, 9), exponent(-320, 308), near(-14, 27);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  char expected[64];
  for (int i = 0; i < 20000; ++i) {
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
    const auto odd = static_cast<int64_t>(random() >> (38 + random() % 26)) | 1;
    const double exact = static_cast<double>(i % 2 == 0 ? odd : -odd) / 1024;
    for (int decimals = 0; decimals <= 4; ++decimals) {
      std::snprintf(expected, sizeof expected, "%.*f", decimals, exact);
      ASSERT_EQ(FormatFixed(exact, decimals), expected) << exact << " to " << decimals;
    }
    for (const double value : values) {
      if (!std::isfinite(value) || value == 0) continue;
      const std::string text = TextOf(value);
      std::snprintf(expected, sizeof expected, "%.15G", value);
      ASSERT_EQ(text, expected);
      NumberText carried;
      carried.size = 3;  // a previous text, which goes
      CarryInto(value, carried);
      ASSERT_EQ(carried.view(), text);
      LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(&value), sizeof value);
      LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(text.data()), text.size());
      const auto single = static_cast<float>(value);
      if (!std::isfinite(single) || single == 0) continue;
      std::snprintf(expected, sizeof expected, "%.7G", static_cast<double>(single));
      ASSERT_EQ(TextOf(single), expected);
    }
  }
}

// Never inf or NaN: the top of the double range rounds, at 15 digits, to a text that would
// read back as infinity, so writing it fails like any overflow. Negative zero has no sign, where
// printf would write "-0". A fixed format judges a halfway case on the 15-digit decimal form
// (1.005 is 1.00499999999999989... in binary) and rounds it away from zero; a negative value
// keeps its sign though it rounds to zero, as with printf.
TEST(NumberText, TheEdgesOfWritingANumber) {
  EXPECT_EQ(TextOf(1.79769313486231e308), "1.79769313486231E+308");
  EXPECT_EQ(TextOf(3.4028235e38f), "3.402823E+38");
  EXPECT_EQ(TextOf(-0.0) + TextOf(-0.0f), "00");
  for (const double value : {1.7976931348623157e308, -1.7976931348623157e308, kInf, std::nan("")}) {
    EXPECT_THROW(TextOf(value), RunTimeFailure) << value;
    EXPECT_THROW(FormatFixed(value, 2), RunTimeFailure) << value;
  }
  EXPECT_THROW(TextOf(std::numeric_limits<float>::infinity()), RunTimeFailure);
  EXPECT_EQ(FormatFixed(-0.004, 2), "-0.00");
  EXPECT_EQ(FormatFixed(-0.0, 2), "0.00");
  EXPECT_EQ(FormatFixed(-2.5, 0), "-3");
  EXPECT_EQ(FormatFixed(0.125, 2), "0.13");
  EXPECT_EQ(FormatFixed(1.005, 2), "1.01");
  EXPECT_EQ(FormatFixed(1e20, 2), "100000000000000000000.00");
  EXPECT_EQ(FormatFixed(123456789012345678.0, 1), "123456789012346000.0");
}

}  // namespace
}  // namespace tolvarn
