// Local date and time, behind an interface so that records and tests can use a fixed time.
#pragma once

namespace tolvarn {

struct LocalDateTime {
  int year = 2000;  // four digits
  int month = 1;    // 1 to 12
  int day = 1;      // 1 to 31
  int hour = 0;     // 0 to 23
  int minute = 0;
  int second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalDateTime Now() = 0;
};

}  // namespace tolvarn
