// Real implementations of the platform interfaces on a POSIX system, without any toolkit.
#pragma once

#include <optional>
#include <string>

#include "platform.h"

namespace tolvarn {

class SystemClock final : public Clock {
 public:
  LocalDateTime Now() override;
};

// Reads LC_MONETARY and LC_TIME from the environment each time it is asked (as the user may
// change them between runs), without touching the process's own C locale.
class SystemLocale final : public Locale {
 public:
  std::string CurrencySymbol() override;
  std::string ShortDate(const LocalDateTime& when) override;
};

// Picks the currency symbol from the number 1 formatted in the user's currency and the
// locale's own symbol. Exposed for tests: the rule matters more than the C library call.
std::string ChooseCurrencySymbol(const std::string& formatted_one,
                                 const std::string& locale_symbol);

// Writes each box to stderr as "title: text" and answers OK (or Cancel when asked a question,
// so that nothing is changed without a user).
class ConsoleMessageBoxes final : public MessageBoxes {
 public:
  BoxAnswer Show(const MessageBoxRequest& request) override;
  const std::optional<MessageBoxRequest>& LastStopBox() const { return last_stop_box_; }

 private:
  std::optional<MessageBoxRequest> last_stop_box_;
};

// Ends the program by throwing ProgramEnded, for a caller that unwinds to main.
class ThrowingProcess final : public Process {
 public:
  [[noreturn]] void EndProgram(int status) override;
};

}  // namespace tolvarn
