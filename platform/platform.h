// The outside world as the toolkit-free logic sees it, handed to the window object.
#pragma once

#include "clock.h"
#include "file_system.h"
#include "launcher.h"
#include "locale.h"
#include "message_box.h"
#include "process.h"
#include "window_host.h"

namespace tolvarn {

struct Platform {
  MessageBoxes& boxes;
  Clock& clock;
  Locale& locale;
  Process& process;
  FileSystem& files;
  Launcher& launcher;
  WindowHost& window;
};

}  // namespace tolvarn
