// The results log Log/Tolvarn.log: created with a header when missing, added to one entry at a
// time, archived to a dated copy or cleared, and shown in the desktop's viewer. Several running
// copies may share it: each entry is one append under the log's lock, so entries never mix and
// none is lost to an Archive running meanwhile.
#include "core/number_text.h"
#include "core/text.h"
#include "files/files_window.h"
#include "files/record_scan.h"
#include "version.h"

namespace tolvarn {
namespace {

constexpr std::string_view kLogFileError = "Tolvarn Log File Error";

}  // namespace

std::string FilesWindow::VersionText() {
  return "Version " + std::string(kVersionShort);
}

std::string FilesWindow::LogHeader() {
  std::string header = "Tolvarn Results Log";
  header += kLineEnd;
  header += VersionText();
  header += kLineEnd;
  header += "File Created";
  header += kLineEnd;
  header += DateTimeText();
  header += kLineEnd;
  header += kLineEnd;
  return header;
}

void FilesWindow::CreateResultsLog() {
  Check_Dir("Log");
  if (platform().files.Exists(kLogPath)) return;
  // Created with its whole header at once; a copy that creates it first wins, and nothing of
  // its entries is lost.
  const FileStatus created =
      platform().files.CreateNew(kLogPath, LogHeader() + std::string(kLineEnd));
  // Failing to create it because another copy just did is no failure.
  if (!created.ok() && created.failed != FileStep::Exists)
    ShowMessage(kLogFileError,
                "Unable to create the log file. Tolvarn.log\r\nThis may be a permissions problem.",
                BoxIcon::Exclamation);
}

void FilesWindow::AppendToLog() {
  Check_Dir("Log");
  if (!Check_File("results log", kLogDir, kLogName)) return;
  const FileStatus appended =
      platform().files.Append(kLogPath, State().RecordText + std::string(kLineEnd));
  if (!appended.ok())
    ShowMessage(
        kLogFileError,
        "Unable to write to the log file. Tolvarn.log\r\nThis may be a permissions problem.",
        BoxIcon::Exclamation);
}

void FilesWindow::ArchiveFailed() {
  ShowMessage(kLogFileError,
              "Unable to archive the results log file Tolvarn.log.\r\n"
              "This may be a permissions problem.",
              BoxIcon::Exclamation);
}

std::optional<bool> FilesWindow::LogToArchive() {
  Check_Dir("Log");
  if (!Check_File("results log", kLogDir, kLogName)) return std::nullopt;
  // Scanned in blocks: the log may be large, and only one line needs to be found.
  const auto reader = platform().files.OpenBlocks(kLogPath);
  RecordScan scan;
  std::string_view block;
  while (reader && !scan.Found() && reader->Read(block))
    scan.Feed(block);
  if (!reader || reader->Failed()) {
    ArchiveFailed();
    return std::nullopt;
  }
  return scan.Found();
}

std::optional<std::string> FilesWindow::ArchiveLogNow(bool has_record) {
  if (!has_record) {
    ShowMessage("Tolvarn Results Log File Error",
                "There is no data to archive!\r\nResults log file not archived.",
                BoxIcon::Exclamation);
    return std::nullopt;
  }
  const LocalDateTime now = platform().clock.Now();
  const std::string stem =
      "Log/Tolvarn_" + TwoDigits(now.year % 100) + TwoDigits(now.month) + TwoDigits(now.day) + "_";
  // The archive is a copy of its own, whole before the log is renewed; a name that another
  // copy takes meanwhile moves the archive on to the next number.
  FileSystem::ArchiveStatus archived{{FileStep::Exists}, {}};
  std::string name;
  for (int n = 1; archived.archive.failed == FileStep::Exists; ++n) {
    name = stem + std::to_string(n) + ".log";
    if (!platform().files.Exists(name))
      archived = platform().files.Archive(kLogPath, name, LogHeader() + std::string(kLineEnd));
  }
  // Without a new log there is no archive either: the log is as it was.
  if (!archived.archive.ok() || !archived.renew.ok()) {
    ArchiveFailed();
    return std::nullopt;
  }
  return name;
}

std::optional<std::string> FilesWindow::ArchiveLog() {
  const std::optional<bool> has_record = LogToArchive();
  return has_record ? ArchiveLogNow(*has_record) : std::nullopt;
}

void FilesWindow::Archive_Click() {
  Fields().SetCaption(Field::Status, "");
  Fields().SetEnabled(Field::Timer1, false);
  const std::optional<bool> has_record = LogToArchive();
  if (!has_record) return;

  const BoxAnswer answer =
      platform().boxes.Show({"Archive Tolvarn Results Log File",
                             "Do you want to archive the log file?\r\n"
                             "To Archive the results log file and create a new one click Yes\r\n"
                             "To Clear the results log file without archiving it click No\r\n"
                             "Click Cancel to return",
                             BoxIcon::Exclamation, BoxButtons::YesNoCancel});
  if (answer == BoxAnswer::Yes) {
    if (ArchiveLogNow(*has_record)) ShowStatus("Results Log File Archived");
  } else if (answer == BoxAnswer::No) {
    if (*has_record) {
      const BoxAnswer sure = platform().boxes.Show(
          {"Tolvarn Create New Log File", "Are you sure you want to create a new results log file?",
           BoxIcon::None, BoxButtons::YesNo});
      if (sure != BoxAnswer::Yes) return;
    }
    // Also over a read-only log: the new one replaces it only once it is complete.
    if (!platform().files.Renew(kLogPath, LogHeader() + std::string(kLineEnd)).ok())
      return ArchiveFailed();
    ShowStatus("Results Log File Cleared");
  }
}

void FilesWindow::ViewL_Click() {
  Check_Dir("Log");
  if (!Check_File("results log", kLogDir, kLogName)) return;
  // The viewer runs on its own; a failure it reports later is shown when it comes.
  platform().launcher.Open(kLogPath, [this](LaunchFailure failure) {
    if (failure == LaunchFailure::NotStarted)
      ShowMessage(kLogFileError,
                  "Unable to run Notepad\r\nCheck that it exists and\r\nis working properly.",
                  BoxIcon::Exclamation);
    else
      ShowMessage(kLogFileError,
                  "Unable to opem the log file Tolvarn.log.\r\nThis may be a permissions problem.",
                  BoxIcon::Exclamation);
    SayWhereToOpen(kLogPath);
  });
}

void FilesWindow::SayWhereToOpen(std::string_view target) {
  // Kept on the status line until the next command, long enough to be copied.
  Fields().SetEnabled(Field::Timer1, false);
  Fields().SetCaption(Field::Status, "Open by hand: " + platform().launcher.Where(target));
}

}  // namespace tolvarn
