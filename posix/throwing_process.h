// Ends the program by throwing ProgramEnded: the window's program, tolvarn-calc and the tests
// each catch it where they can end cleanly (or observe the ending).
#pragma once

#include "platform/process.h"

namespace tolvarn {

class ThrowingProcess final : public Process {
 public:
  [[noreturn]] void EndProgram(int status) override { throw ProgramEnded{status}; }
};

}  // namespace tolvarn
