// The outside world as the toolkit-free logic sees it, handed to the window object.
#pragma once

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/launcher.h"
#include "platform/locale.h"
#include "platform/message_box.h"
#include "platform/process.h"
#include "platform/window_host.h"

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
