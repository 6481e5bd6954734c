#include "tests/support/fake_platform.h"

#include <array>

#include "core/number_text.h"

namespace tolvarn {

BoxAnswer FakeMessageBoxes::Show(const MessageBoxRequest& request) {
  shown_.push_back(request);
  if (request.buttons == BoxButtons::Ok) return BoxAnswer::Ok;
  if (answers_.empty()) {
    if (throw_unexpected) throw UnexpectedBox{request};
    unexpected.push_back(request);
    return BoxAnswer::Cancel;
  }
  const BoxAnswer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

std::string FakeLocale::ShortDate(const LocalDateTime& when) {
  return TwoDigits(when.day) + "/" + TwoDigits(when.month) + "/" + TwoDigits(when.year % 100);
}

std::string FakeLocale::MonthAbbreviation(int month) {
  static const std::array<std::string, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  return kMonths.at((month - 1) % 12);
}

}  // namespace tolvarn
