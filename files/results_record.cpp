// The results record: a fixed-layout block of lines that repeats the notes, the tariff, the
// item data and every result, so that successive records line up in a monospaced viewer.
#include <algorithm>
#include <string>

#include "core/text.h"
#include "core/utf8.h"
#include "files/files_window.h"

namespace tolvarn {
namespace {

constexpr size_t kLabelWidth = 18;

bool IsControl(char c) {
  return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

// Writes the record line by line.
class RecordWriter {
 public:
  explicit RecordWriter(std::string& out) : out_(out) {}
  RecordWriter& operator<<(std::string_view text) {
    out_ += text;
    return *this;
  }
  RecordWriter& Right(std::string_view value, int pad, int width) {
    if (std::any_of(value.begin(), value.end(), IsControl))
      AppendRightColumn(out_, OneLine(value), pad, width);
    else
      AppendRightColumn(out_, value, pad, width);
    return *this;
  }
  RecordWriter& Label(std::string_view label, int pad) {
    AppendLeftLabel(out_, label, pad);
    return *this;
  }
  void EndLine() { out_ += kLineEnd; }
  void Dashes() {
    out_.append(77, '-');
    EndLine();
  }

 private:
  std::string& out_;
};

}  // namespace

std::string OneLine(std::string_view text) {
  std::string line(text);
  for (char& c : line)
    if (IsControl(c)) c = ' ';
  return line;
}

// A value longer than its column is written whole, without blanks, and pushes the rest of the
// line to the right: a cut number would be a wrong number.
void AppendRightColumn(std::string& out, std::string_view value, int pad, int width) {
  const size_t length = utf8::Length(value);
  const auto columns = static_cast<size_t>(width);
  if (length < columns) out.append(std::min(static_cast<size_t>(pad), columns - length), ' ');
  out += value;
}

void AppendLeftLabel(std::string& out, std::string_view label, int pad) {
  const std::string_view kept = utf8::Take(label, kLabelWidth);
  out += kept;
  const size_t length = utf8::Length(kept);
  out.append(std::min(static_cast<size_t>(pad), kLabelWidth - length), ' ');
}

std::string FilesWindow::DateTimeText() {
  const LocalDateTime now = platform().clock.Now();
  std::string text = platform().locale.ShortDate(now);
  text += ' ';
  for (const int part : {now.hour, now.minute, now.second}) {
    text += static_cast<char>('0' + part / 10 % 10);
    text += static_cast<char>('0' + part % 10);
    text += ':';
  }
  text.pop_back();
  return text;
}

void FilesWindow::BuildRecord() {
  Guarded("Log Data Error", [&] {
    WindowState& state = State();
    state.ErrorLocation = 191;
    // Views of the fields' texts, which nothing changes while the record is written.
    const auto investment = [&](Field cost) -> std::string_view {
      const std::string& text = Text(cost);
      return text.empty() ? std::string_view("n-a") : std::string_view(text);
    };
    const std::string_view item1_investment = investment(Field::Item1Cost);
    const std::string_view item2_investment = investment(Field::Item2Cost);

    const bool item1 = state.Item1Empty == 0;
    const bool item2 = state.Item2Empty == 0;
    const std::string& unit = state.UnitAbbrev;
    const std::string_view period = Text(Field::PPeriod);

    // Written in place: the previous record has been kept for comparison already.
    std::string& body = state.RecordBody;
    body.clear();
    RecordWriter record(body);
    const auto tariff = [&](Field field, std::string_view label, int pad, int width,
                            std::string_view suffix, std::string_view unit = {}) {
      const std::string& text = Text(field);
      if (text.empty()) return;
      record << label;
      record.Right(text, pad, width) << suffix << unit;
      record.EndLine();
    };

    // A line break typed into the notes must not break the record's one-line-per-piece layout.
    const std::string& notes = Text(Field::Notes);
    if (std::any_of(notes.begin(), notes.end(), IsControl))
      record << OneLine(notes);
    else
      record << notes;
    record.EndLine();
    record.Dashes();
    record << "Water Volume Cost         : ";
    record.Right(Text(Field::WVCost), 8, 8) << " " << state.ChargeUnitText;
    record.EndLine();
    tariff(Field::SVCost, "Sewerage Volume Cost      : ", 8, 8, " ", state.ChargeUnitText);
    tariff(Field::SVAllow, "Sewerage Volume Allowance : ", 5, 5, " %");
    tariff(Field::VRate, "VAT                       : ", 5, 5, " %");
    tariff(Field::AnInfT, "Annual Inflation          : ", 6, 5, " %");
    // The period's column is (6, 5): a pad wider than the column, so "5.0" gets two blanks
    // before it, not three.
    record << "Payback Period            : ";
    record.Right(period, 6, 5) << " years ";
    record.EndLine();
    record.EndLine();
    record.Dashes();

    state.ErrorLocation = 192;
    const auto item_line = [&](std::string_view label, Field use, Field uses,
                               std::string_view investment_cost) {
      record << label;
      record.Right(Text(use), 6, 6) << " " << unit << " used ";
      record.Right(Text(uses), 2, 2) << " times a day, Investment Cost: ";
      record.Right(investment_cost, 8, 8);
      record.EndLine();
    };
    if (item1) item_line("Item 1: ", Field::Item1Use, Field::Item1UseD, item1_investment);
    state.ErrorLocation = 193;
    if (item2) item_line("Item 2: ", Field::Item2Use, Field::Item2UseD, item2_investment);
    record.Dashes();

    // The payback period ends every water and cost line.
    const auto over_period = [&] {
      record << " over ";
      record.Right(period, 4, 4) << " years";
      record.EndLine();
    };
    NumberText number;
    const auto water_line = [&](double per_day, float per_quarter, Field period_water,
                                int period_pad) {
      if (FormatFixedInto(per_day, 1, number))
        record.Right(number.view(), 6, 6);
      else
        record.Right(FormatFixed(per_day, 1), 6, 6);
      record << " " << unit << "/day ";
      TextInto(per_quarter, number);
      record.Right(number.view(), 6, 6) << " " << unit << "/Qtr ";
      record.Right(Text(period_water), period_pad, 8) << " " << unit;
      over_period();
    };
    if (item1) {
      record << "Item 1 Water Use  :";
      water_line(state.Item1DayWater, state.Item1QtrWater, Field::Item1W, 8);
    }
    state.ErrorLocation = 194;
    if (item2) {
      record << "Item 2 Water Use  :";
      water_line(state.Item2DayWater, state.Item2QtrWater, Field::Item2W, 7);
    }
    state.ErrorLocation = 195;
    if (item1 && item2) {
      record.Label(state.WaterSaveLabel, 18) << ":";
      water_line(state.DayWaterDiff, state.QtrWaterDiff, Field::PeriodWater, 9);
    }
    record.Dashes();

    const auto cost_line = [&](Field day, Field quarter, Field period_cost, int day_pad,
                               int quarter_pad, int period_pad) {
      record.Right(Text(day), day_pad, 9) << "/day, ";
      record.Right(Text(quarter), quarter_pad, 9) << "/Qtr, ";
      record.Right(Text(period_cost), period_pad, 11);
      over_period();
    };
    state.ErrorLocation = 196;
    if (item1) {
      record << "Item 1 Cost       : ";
      cost_line(Field::Item1Day, Field::Item1Qtr, Field::Item1Period, 5, 5, 11);
    }
    state.ErrorLocation = 197;
    if (item2) {
      record << "Item 2 Cost       : ";
      cost_line(Field::Item2Day, Field::Item2Qtr, Field::Item2Period, 5, 6, 12);
    }
    state.ErrorLocation = 198;
    if (item1 && item2) {
      record.Label(state.CostSaveLabel, 21) << ": ";
      cost_line(Field::DaySave, Field::QtrSave, Field::PeriodSave, 4, 6, 14);
    }

    state.RecordText.assign(DateTimeText()).append(kLineEnd).append(body);
    state.RecordText.append(kLineEnd).append(kLineEnd);
  });
}

}  // namespace tolvarn
