// The results log.
#include "files_window.h"

namespace tolvarn {

// Placeholder until the results log file is written: the record stays in RecordText.
void FilesWindow::AppendToLog() {}

}  // namespace tolvarn
