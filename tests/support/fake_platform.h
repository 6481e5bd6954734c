// Scriptable stand-ins for the platform, for tests: message boxes answered from a script and
// recorded, a clock that shows a set time, a locale with a set symbol and date order.
#pragma once

#include <deque>
#include <optional>
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
  LocalDateTime Now() override { return now; }
  LocalDateTime now{2026, 12, 7, 9, 5, 3};
};

class FakeLocale final : public Locale {
 public:
  std::string CurrencySymbol() override { return symbol; }
  // Understands %d, %m, %y and %Y, enough for the common short date formats.
  std::string ShortDate(const LocalDateTime& when) override;
  std::string MonthAbbreviation(int month) override { return months.at((month - 1) % 12); }
  std::vector<std::string> months = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::string symbol = "\u00A3";
  std::string date_format = "%d/%m/%y";
};

// Records what it was asked to open; every handler keeps running until the test ends it.
class FakeLauncher final : public Launcher {
 public:
  void Open(std::string_view target, FailureHandler on_failure) override {
    // As the real one throws when the system has no thread left to watch the handler with.
    if (!refusal.empty()) throw std::runtime_error(refusal);
    opened.emplace_back(target);
    running_.push_back(std::move(on_failure));
  }
  std::string refusal;
  // The most recent handler still running ends with `failure` (nullopt: it opened the target).
  // False when none is running.
  bool End(std::optional<LaunchFailure> failure) {
    if (running_.empty()) return false;
    FailureHandler handler = std::move(running_.back());
    running_.pop_back();
    if (failure) handler(*failure);
    return true;
  }
  std::vector<std::string> opened;

 private:
  std::vector<FailureHandler> running_;
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
