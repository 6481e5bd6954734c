// The system-wide named object that tells a second running copy that a first one exists: a lock
// on a file in the user's runtime directory, which the system releases when the process ends,
// however it ends, so it never outlives a crashed copy.
#pragma once

#include <string>
#include <string_view>

namespace tolvarn {

class InstanceLock {
 public:
  InstanceLock() = default;
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // True when another running copy holds the object `name`; otherwise this process now holds
  // it, until it ends. A failure to make the object is not reported: the answer is then false.
  [[nodiscard]] bool IsAnotherInstance(std::string_view name);

  // Where the object for `name` lives.
  static std::string PathFor(std::string_view name);

 private:
  int fd_ = -1;
};

}  // namespace tolvarn
