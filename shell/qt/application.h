// The program's start: the working directory, the named object "Tolvarn", the main window (its
// load handler, then its activation handler) and the event loop.
#pragma once

namespace tolvarn {

// `quit_when_idle` ends the event loop as soon as the shown window has nothing left to do, to
// measure the start-up.
int RunTolvarn(int argc, char** argv, bool quit_when_idle = false);

}  // namespace tolvarn
