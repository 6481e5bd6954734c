// The settings files' common layout: a forgiving line parser and a writer of whole files.
#include "files/settings_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/runtime_failure.h"
#include "core/text.h"

namespace tolvarn {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Takes lines one at a time, so that a file is parsed as it is read.
class Parser {
 public:
  explicit Parser(const SettingsDialect& dialect) : dialect_(dialect) {
    document_.sections.emplace_back();
  }

  // A piece of text between line feeds: a lone CR inside it ends a line too (as an old Mac
  // editor writes them).
  void Piece(std::string_view piece) {
    while (true) {
      const size_t cr = piece.find('\r');
      Line(piece.substr(0, cr));
      if (cr == std::string_view::npos) return;
      piece.remove_prefix(cr + 1);
    }
  }

  SettingsDocument Take() { return std::move(document_); }

 private:
  void Line(std::string_view line) {
    ++number_;
    if (number_ == 1 && dialect_.skipByteOrderMark && line.starts_with(kByteOrderMark))
      line.remove_prefix(kByteOrderMark.size());
    const std::string_view trimmed = Trimmed(line, kBlanksAndTabs);
    if (trimmed.empty() || trimmed.front() == '#' || trimmed.front() == ';') return;
    if (dialect_.onlyHeader.empty() ? trimmed.front() == '[' : trimmed == dialect_.onlyHeader) {
      Header(trimmed);
      return;
    }
    const size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos) {
      document_.damagedLines.push_back(number_);
      return;
    }
    const std::string_view value = trimmed.substr(equals + 1);
    document_.sections.back().entries.push_back(
        {number_, std::string(Trimmed(trimmed.substr(0, equals), kBlanksAndTabs)),
         std::string(dialect_.trimValueStart ? Trimmed(value, kBlanksAndTabs) : value)});
  }

  // "[Name]", blanks inside the brackets allowed; anything after the "]" but blanks or a
  // comment makes the header damaged.
  void Header(std::string_view trimmed) {
    SettingsSection& section = document_.sections.emplace_back();
    section.line = number_;
    const size_t close = trimmed.find(']');
    section.name =
        Trimmed(trimmed.substr(1, close == std::string_view::npos ? trimmed.npos : close - 1),
                kBlanksAndTabs);
    if (close == std::string_view::npos) {
      section.damaged = true;
    } else {
      const std::string_view after = Trimmed(trimmed.substr(close + 1), kBlanksAndTabs);
      section.damaged = !after.empty() && after.front() != '#' && after.front() != ';';
    }
  }

  const SettingsDialect& dialect_;
  SettingsDocument document_;
  int number_ = 0;
};

}  // namespace

SettingsFileReading ReadSettingsFile(FileSystem& files, std::string_view path,
                                     const SettingsDialect& dialect) {
  SettingsFileReading reading;
  if (!files.Exists(path)) return reading;
  reading.outcome = SettingsFileReading::Outcome::Unreadable;
  const auto reader = files.IsFile(path) ? files.OpenForReading(path) : nullptr;
  if (!reader) return reading;
  // The line reader splits at LF and drops a CR before it; a lone CR is left to the parser.
  Parser parser(dialect);
  std::string line;
  while (reader->ReadLine(line))
    parser.Piece(line);
  if (reader->Failed()) return reading;
  reading.outcome = SettingsFileReading::Outcome::Read;
  reading.document = parser.Take();
  return reading;
}

std::vector<std::string> InLineOrder(std::vector<SettingsNote> notes) {
  std::stable_sort(notes.begin(), notes.end(),
                   [](const SettingsNote& a, const SettingsNote& b) { return a.first < b.first; });
  std::vector<std::string> texts;
  texts.reserve(notes.size());
  for (SettingsNote& note : notes)
    texts.push_back(std::move(note.second));
  return texts;
}

void SettingsWriter::Section(std::string_view name) {
  if (!text_.empty()) text_ += kLineEnd;
  text_ += '[';
  text_ += name;
  text_ += ']';
  text_ += kLineEnd;
}

void SettingsWriter::Value(std::string_view key, std::string_view value) {
  text_ += key;
  text_ += '=';
  for (const char c : value)
    text_ += c == '\r' || c == '\n' ? ' ' : c;
  text_ += kLineEnd;
}

void SettingsWriter::Number(std::string_view key, double value) {
  if (!std::isfinite(value)) throw RunTimeFailure("a setting that is not a finite number");
  char number[32];
  const auto written = std::to_chars(number, number + sizeof number, value);
  Value(key, std::string_view(number, static_cast<size_t>(written.ptr - number)));
}

}  // namespace tolvarn
