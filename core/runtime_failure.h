// The run-time failures that end a procedure through its error path: an unreadable number,
// an overflow, a division by zero, a value that does not fit its type.
#pragma once

#include <stdexcept>

namespace tolvarn {

class RunTimeFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace tolvarn
