// Ending the program. The real implementation never returns; the test and command-line
// implementations throw ProgramEnded so that the caller can observe the ending.
#pragma once

namespace tolvarn {

// Deliberately not derived from std::exception: the procedures' error paths catch
// std::exception, and an ending program must pass straight through them.
struct ProgramEnded {
  int status;
};

class Process {
 public:
  virtual ~Process() = default;
  [[noreturn]] virtual void EndProgram(int status) = 0;
};

// Exit status of a program ended by a fatal error or a broken installation.
inline constexpr int kFatalExitStatus = 3;

}  // namespace tolvarn
