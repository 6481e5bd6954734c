// Real implementations of the platform interfaces on a POSIX system, without any toolkit.
#pragma once

#include <locale.h>

#include <string>

#include "platform/clock.h"
#include "platform/locale.h"

namespace tolvarn {

class SystemClock final : public Clock {
 public:
  LocalDateTime Now() override;
};

// The user's LC_MONETARY and LC_TIME, without touching the process's own C locale. They come
// from the environment the program started with, which cannot change while it runs, so each
// is looked up once, when first needed.
class SystemLocale final : public Locale {
 public:
  SystemLocale() = default;
  ~SystemLocale() override;
  SystemLocale(const SystemLocale&) = delete;
  SystemLocale& operator=(const SystemLocale&) = delete;

  std::string CurrencySymbol() override;
  std::string ShortDate(const LocalDateTime& when) override;
  std::string MonthAbbreviation(int month) override;

 private:
  locale_t Time();
  locale_t monetary_ = nullptr;
  locale_t time_ = nullptr;
};

// Picks the currency symbol from the number 1 formatted in the user's currency and the
// locale's own symbol. Exposed for tests: the rule matters more than the C library call.
std::string ChooseCurrencySymbol(const std::string& formatted_one,
                                 const std::string& locale_symbol);

}  // namespace tolvarn
