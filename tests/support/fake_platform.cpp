#include "tests/support/fake_platform.h"

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
  std::string text;
  for (size_t i = 0; i < date_format.size(); ++i) {
    if (date_format[i] != '%' || i + 1 == date_format.size()) {
      text += date_format[i];
      continue;
    }
    switch (date_format[++i]) {
      case 'd':
        text += TwoDigits(when.day);
        break;
      case 'm':
        text += TwoDigits(when.month);
        break;
      case 'y':
        text += TwoDigits(when.year % 100);
        break;
      case 'Y':
        text += std::to_string(when.year);
        break;
      default:
        text += date_format[i];
    }
  }
  return text;
}

}  // namespace tolvarn
