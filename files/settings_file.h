// The settings files in Data/ (Household.ini and Payback.ini): sections "[Name]" and
// "Key=value" lines in UTF-8. Read forgivingly, whatever the line ends (CR LF, LF or a lone CR)
// and with a byte order mark at the start skipped (see SettingsDialect), so a file from any
// editor reads; written with CR LF. This layer knows no keys: the reader of each file decides what
// a value means and what a damaged line costs.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace tolvarn {

struct SettingsEntry {
  int line = 0;       // counted from 1, every line end counting (a lone CR too)
  std::string key;    // blanks and tabs around it removed
  std::string value;  // blanks and tabs around it removed; may hold '=' and anything but a line end
};

struct SettingsSection {
  int line = 0;      // of its header; 0 for the part before the first header
  std::string name;  // between the brackets, blanks around it removed; empty before any header
  // The header was not a whole "[Name]" (no closing bracket, or text after it): the name is
  // what follows "[" up to the "]" or the line's end. Its entries are still kept apart, so a
  // damaged header never hands its keys to the section before it.
  bool damaged = false;
  std::vector<SettingsEntry> entries;  // in the file's order; a key may come more than once
};

struct SettingsDocument {
  // The first is the part before any header (often empty), then one per header in order.
  std::vector<SettingsSection> sections;
  // Lines that are not blank, not a comment ('#' or ';' first), not a header and hold no '='.
  std::vector<int> damagedLines;
};

// How a file's lines are taken. The defaults are Household.ini's. Payback.ini is read as it was
// before this layer took it over, so that a file edited by hand reads as it always has: its
// byte order mark is text of the first line, only its one header line is a header (any other
// "[" line is an entry or damaged), and blanks and tabs before a value are kept.
struct SettingsDialect {
  bool skipByteOrderMark = true;
  std::string_view onlyHeader;  // empty: every "[" line is a header
  bool trimValueStart = true;
};

struct SettingsFileReading {
  enum class Outcome { Missing, Unreadable, Read };
  Outcome outcome = Outcome::Missing;
  SettingsDocument document;  // empty unless Read
};
// Nothing under the name: Missing. Something that is not a file or cannot be read through:
// Unreadable (nothing of a part read is kept, so a read error never passes for a short file).
SettingsFileReading ReadSettingsFile(FileSystem& files, std::string_view path,
                                     const SettingsDialect& dialect = {});

// A reading's notes, each with its line, as texts in the file's order (one line's notes in the
// order they were made), fit for the status line one after another.
using SettingsNote = std::pair<int, std::string>;
std::vector<std::string> InLineOrder(std::vector<SettingsNote> notes);

// Builds a file's text: sections with a blank line between them, CR LF line ends.
class SettingsWriter {
 public:
  void Section(std::string_view name);
  // A value is one line: a CR or LF in it is written as a blank, so no value can start a line
  // (or a section) of its own. Blanks at the ends of a value do not read back.
  void Value(std::string_view key, std::string_view value);
  // The shortest text that reads back as the same double ("." whatever the locale), so a value
  // saved is the value read. Throws RunTimeFailure for infinity or NaN, which never go to a file.
  void Number(std::string_view key, double value);
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace tolvarn
