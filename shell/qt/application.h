// The program's start: the working directory, the named object "Tolvarn", the main window (its
// load handler, then its activation handler) and the event loop.
#pragma once

#include <functional>

namespace tolvarn {

// `when_idle`, if given, runs once the window has been drawn and has nothing left to do (the
// start-up benchmark notes the time there and ends the event loop).
int RunTolvarn(int argc, char** argv, const std::function<void()>& when_idle = {});

}  // namespace tolvarn
