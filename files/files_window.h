// The toolkit-free main window, second layer: what the window writes for the user to keep,
// the results record, the results log and the fatal-error path.
#pragma once

#include <optional>
#include <string>

#include "../core/calc_window.h"

namespace tolvarn {

class FilesWindow : public CalcWindow {
 public:
  using CalcWindow::CalcWindow;

  // Renders the current calculation into RecordText and RecordBody.
  void BuildRecord() override;
  // Appends RecordText to the results log.
  void AppendToLog() override;
  [[noreturn]] void FatalError(std::string_view OperationName, int16_t Location) override;

  // The current date in the user's short date format, a blank and the 24-hour time.
  std::string DateTimeText();

  // The fatal error that ended the program, for a caller that outlives the ending.
  struct FatalReport {
    std::string operation;
    int16_t location;
  };
  const std::optional<FatalReport>& LastFatalError() const { return last_fatal_; }

 private:
  std::optional<FatalReport> last_fatal_;
};

// Column rules of the record, counted in characters.
// A right-aligned value: `pad` blanks and the value, cut to its last `width` characters.
std::string RightColumn(std::string_view value, int pad, int width);
// A left-aligned label: the label and `pad` blanks, cut to its first 18 characters.
std::string LeftLabel(std::string_view label, int pad);

}  // namespace tolvarn
