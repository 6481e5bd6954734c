// Whether a results log holds a results record: a line that, its leading blanks aside, begins
// with "Water" (every record has its water volume cost line). Found without reading the log
// line by line, since a log can be large and the record may stand at its very end.
#pragma once

#include <string>
#include <string_view>

namespace tolvarn {

class RecordScan {
 public:
  // Feeds the next part of the file; true once a record line has been seen.
  bool Feed(std::string_view block);
  bool Found() const { return found_; }

 private:
  bool found_ = false;
  // The line that runs on into the next block: whether it is blanks only so far, and the part
  // of "Water" that follows its blanks.
  bool blank_line_ = true;
  std::string partial_;
};

}  // namespace tolvarn
