// The real locale: dates and currency symbols from the user's environment, read afresh each
// time and never through the process's own C locale.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/posix_platform.h"

namespace tolvarn {
namespace {

class ScopedEnvironment {
 public:
  explicit ScopedEnvironment(const char* locale) { ::setenv("LC_ALL", locale, 1); }
  ~ScopedEnvironment() { ::unsetenv("LC_ALL"); }
};

TEST(SystemLocale, FollowsTheUsersSettings) {
  struct Case {
    const char* locale;
    const char* date;
    const char* symbol;
  };
  const Case cases[] = {
      {"C", "12/07/26", "\u00A4"},
      {"en_GB.UTF-8", "07/12/26", "\u00A3"},
      {"en_US.UTF-8", "12/07/2026", "$"},
      {"de_DE.UTF-8", "07.12.2026", "\u20AC"},
      {"xx_NOWHERE.UTF-8", "12/07/26", "\u00A4"},  // a missing locale acts as C
  };
  const LocalDateTime when{2026, 12, 7, 9, 5, 3};
  for (const Case& c : cases) {
    const ScopedEnvironment environment(c.locale);
    SystemLocale locale;
    EXPECT_EQ(locale.ShortDate(when), c.date) << c.locale;
    EXPECT_EQ(locale.CurrencySymbol(), c.symbol) << c.locale;
  }
}

}  // namespace
}  // namespace tolvarn
