// The one way out after an unexpected failure: tell the user which step failed, then end.
#include <cstdlib>
#include <string>

#include "files_window.h"

namespace tolvarn {

void FilesWindow::FatalError(std::string_view OperationName, int16_t Location) {
  last_fatal_ = FatalReport{std::string(OperationName), Location};
  std::string text = "Error Number " + std::to_string(Location) + "\r\n";
  text += "A Fatal ";
  text += OperationName;
  text += " Has Ocurred.\r\nThe Program Will Now Terminate.";
  platform().boxes.Show({"Tolvarn Fatal Error", text, BoxIcon::Stop, BoxButtons::Ok});
  platform().process.EndProgram(kFatalExitStatus);
  std::abort();  // EndProgram never returns; this keeps the promise if one ever did
}

}  // namespace tolvarn
