// Ending the program. EndProgram never returns: the one implementation (ThrowingProcess, in
// throwing_process.h) throws ProgramEnded, which every program's main catches.
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
