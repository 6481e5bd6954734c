// Scriptable stand-ins for the platform, for tests: message boxes answered from a script and
// recorded, a clock that shows a set time, a locale with a set symbol.
#pragma once

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "posix/throwing_process.h"
#include "tests/support/fake_file_system.h"

namespace tolvarn {

class FakeMessageBoxes final : public MessageBoxes {
 public:
  BoxAnswer Show(const MessageBoxRequest& request) override;
  // Answers for boxes that ask a question, taken in order. A question with no answer left
  // throws UnexpectedBox, so a test never waits for a user (or, where nothing may be thrown,
  // is recorded in `unexpected` and answered Cancel).
  void Script(std::initializer_list<BoxAnswer> answers) {
    answers_.insert(answers_.end(), answers);
  }
  const std::vector<MessageBoxRequest>& Shown() const { return shown_; }
  void Clear() { shown_.clear(); }

  struct UnexpectedBox {
    MessageBoxRequest request;
  };
  bool throw_unexpected = true;
  std::vector<MessageBoxRequest> unexpected;

 private:
  std::deque<BoxAnswer> answers_;
  std::vector<MessageBoxRequest> shown_;
};

class FakeClock final : public Clock {
 public:
  LocalDateTime Now() override { return {2026, 12, 7, 9, 5, 3}; }
};

// Dates as en_GB writes them (07/12/26), English month names.
class FakeLocale final : public Locale {
 public:
  std::string CurrencySymbol() override { return symbol; }
  std::string ShortDate(const LocalDateTime& when) override;
  std::string MonthAbbreviation(int month) override;
  std::string symbol = "\u00A3";
};

// Opens nothing, and throws `refusal` where one is set, as the real launcher does when the
// system has no thread left to watch the handler with.
class FakeLauncher final : public Launcher {
 public:
  void Open(std::string_view, FailureHandler) override {
    if (!refusal.empty()) throw std::runtime_error(refusal);
  }
  std::string refusal;
};

struct FakePlatform {
  FakeMessageBoxes boxes;
  FakeClock clock;
  FakeLocale locale;
  ThrowingProcess process;
  FakeFileSystem files;
  FakeLauncher launcher;
  HeadlessWindow window;
  Platform platform() { return {boxes, clock, locale, process, files, launcher, window}; }
};

}  // namespace tolvarn
