// The window's general procedures: numbers read from and written into its fields, the status
// line and message boxes.
#include <cstdlib>

#include "core/calc_window.h"
#include "core/runtime_failure.h"

namespace tolvarn {

const CalcWindow::ParsedText& CalcWindow::Parse(Field field) const {
  ParsedText& parsed = parsed_[static_cast<size_t>(field)];
  const uint64_t revision = fields_.TextRevision(field);
  if (!parsed.valid || parsed.revision != revision)
    parsed = {revision, true, ReadNumber(fields_.Text(field))};
  return parsed;
}

double CalcWindow::Strict(Field field) const {
  const ParsedText& parsed = Parse(field);
  if (!parsed.reading.numeric) throw RunTimeFailure("Type mismatch");
  return parsed.reading.value;
}

// How the written text reads back is known without reading it.
void CalcWindow::SetNumber(Field field, double value) {
  const NumberReading reading = CarryInto(value, number_text_);
  fields_.SetText(field, number_text_.view());
  parsed_[static_cast<size_t>(field)] = {fields_.TextRevision(field), true, reading};
}

double CalcWindow::FixedReadBack(double value, int decimals) {
  if (FormatFixedInto(value, decimals, number_text_)) return TextValue(number_text_.view());
  return TextValue(FormatFixed(value, decimals));
}

double CalcWindow::FullReadBack(double value) {
  return CarryInto(value, number_text_).value;
}

double CalcWindow::SingleReadBack(float value) {
  TextInto(value, number_text_);
  return TextValue(number_text_.view());
}

void CalcWindow::FormatField(Field field, int decimals) {
  const NumberReading& reading = Parse(field).reading;
  if (!reading.numeric) return;
  if (FormatFixedInto(reading, decimals, number_text_))
    SetText(field, number_text_.view());
  else
    SetText(field, FormatFixed(reading, decimals));
}

void CalcWindow::ShowStatus(std::string_view text) {
  fields_.SetCaption(Field::Status, text);
  fields_.SetEnabled(Field::Timer1, true);
}

void CalcWindow::ShowMessage(std::string_view title, std::string_view text, BoxIcon icon) {
  platform_.boxes.Show({std::string(title), std::string(text), icon, BoxButtons::Ok});
}

void CalcWindow::EndWithMessage(std::string_view title, std::string_view text, BoxIcon icon) {
  ShowMessage(title, text, icon);
  platform_.process.EndProgram(kFatalExitStatus);
  std::abort();  // EndProgram never returns
}

}  // namespace tolvarn
