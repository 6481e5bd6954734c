// The toolkit-free main window, second layer: what the window keeps on disk. The configuration
// file (tariff, units and options), the results record and log, the installation checks and
// the fatal-error path with its dump.
#pragma once

#include <optional>
#include <string>

#include "core/calc_window.h"

namespace tolvarn {

inline constexpr std::string_view kConfigPath = "Data/Tolvarn.ini";
inline constexpr std::string_view kLogPath = "Log/Tolvarn.log";
inline constexpr std::string_view kLogDir = kLogPath.substr(0, kLogPath.find('/') + 1);
inline constexpr std::string_view kLogName = kLogPath.substr(kLogDir.size());

class FilesWindow : public CalcWindow {
 public:
  using CalcWindow::CalcWindow;

  // Configuration file.
  void ReadConfig();
  void Save_Defaults_Click();
  void Reset_Defaults_Click();

  // Results record and log.
  void BuildRecord() override;
  void CreateResultsLog();
  void AppendToLog() override;
  void Archive_Click();
  // Archive's Yes without its question, for scripts: the archive's name, or nothing once the
  // step that failed has said why.
  std::optional<std::string> ArchiveLog();
  void ViewL_Click();
  // After the desktop could not open `target`: the status line says where it is.
  void SayWhereToOpen(std::string_view target);

  // Installation checks: a missing directory ends the program; a missing file is reported and
  // answers false.
  void Check_Dir(std::string_view dir);
  bool Check_File(std::string_view FileTitle, std::string_view FileDir, std::string_view FileName);

  // Appends the error dump to the log (when it can), reports the failed step and ends.
  [[noreturn]] void FatalError(std::string_view OperationName, int16_t Location) override;

  // The current date in the user's short date format, a blank and the 24-hour time.
  std::string DateTimeText();
  // "Version 4.3".
  static std::string VersionText();

  // The fatal error that ended the program, for a caller that outlives the ending.
  struct FatalReport {
    std::string operation;
    int16_t location;
  };
  const std::optional<FatalReport>& LastFatalError() const { return last_fatal_; }

  // Procedures of the last layer that the configuration reading calls.
  virtual void SetCheckBox(Field box, int value) = 0;
  virtual void VolUnits1_Click() = 0;

 protected:
  // The results log's header entry.
  std::string LogHeader();

 private:
  // The configuration file's lines into the window and the dump's copy of them: true when
  // every key and the section line came exactly once.
  bool ReadConfigLines(LineReader& reader);
  // The values read against the file's bounds, in its own units.
  bool ConfigInRange();
  // The values read in the window's units, and the boxes set from the file.
  void UseConfig();
  // The configuration file's comment lines and its section line.
  std::string ConfigFileHeader();
  // The tariff in the file's units, as it will read back from the file.
  struct FileTariff {
    double sewerage, water, allowance, period, rate;
  };
  std::string ConfigFileText(const FileTariff& tariff);
  std::string DumpText(std::string_view OperationName, int16_t Location);
  // Whether the log, checked to be there, holds a record; nothing once a missing or unreadable
  // log has been reported.
  std::optional<bool> LogToArchive();
  // Makes the dated archive and a new log, or says why not.
  std::optional<std::string> ArchiveLogNow(bool has_record);
  void ArchiveFailed();

  std::optional<FatalReport> last_fatal_;
};

// The text with every control character (line breaks, tabs and the like) made a blank, so that a
// value stays on its line of the record or the dump.
std::string OneLine(std::string_view text);

// Column rules of the record, counted in characters; each appends to `out`.
// A right-aligned value: up to `pad` blanks, as many as keep it within `width`, and the value.
void AppendRightColumn(std::string& out, std::string_view value, int pad, int width);
// A left-aligned label: the label cut to its first 18 characters, and up to `pad` blanks, as
// many as keep it within 18.
void AppendLeftLabel(std::string& out, std::string_view label, int pad);

}  // namespace tolvarn
