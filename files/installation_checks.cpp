// The program's directories and files under its working directory: a missing directory is a
// broken installation and ends the program; a missing file is reported and left to the caller.
#include <cctype>

#include "files/files_window.h"

namespace tolvarn {

void FilesWindow::Check_Dir(std::string_view dir) {
  if (platform().files.DirectoryExists(dir)) return;
  const std::string name(dir);
  EndWithMessage("Tolvarn " + name + " Directory Error",
                 "The " + name + " directory does not exist.\r\nTo restore the " + name +
                     " directory\r\nreinstall the program.\r\nThe program will now terminate.",
                 BoxIcon::Stop);
}

bool FilesWindow::Check_File(std::string_view FileTitle, std::string_view FileDir,
                             std::string_view FileName) {
  if (platform().files.IsFile(std::string(FileDir) + std::string(FileName))) return true;
  // "results log" is "Results Log" in the title.
  std::string title(FileTitle);
  for (size_t i = 0; i < title.size(); ++i)
    if (i == 0 || title[i - 1] == ' ')
      title[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(title[i])));
  const std::string name(FileTitle);
  ShowMessage("Tolvarn " + title + " File Error",
              "The " + name + " file is either missing or\r\ncorrupted. To restore the " + name +
                  " file\r\nreinstall the program.",
              BoxIcon::Exclamation);
  return false;
}

}  // namespace tolvarn
