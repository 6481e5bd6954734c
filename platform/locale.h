// The user's regional settings that the program shows: currency symbol and short date.
#pragma once

#include <string>

#include "platform/clock.h"

namespace tolvarn {

class Locale {
 public:
  virtual ~Locale() = default;
  // Exactly one Unicode code point, UTF-8 encoded, that can never begin a number.
  virtual std::string CurrencySymbol() = 0;
  // The date in the user's short date format (no time), UTF-8.
  virtual std::string ShortDate(const LocalDateTime& when) = 0;
  // The month's abbreviated name in the user's language (1 = January), UTF-8.
  virtual std::string MonthAbbreviation(int month) = 0;
};

}  // namespace tolvarn
