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

// The record's four sections, each ending with its line of dashes; the steps of the fatal-error
// dump are set as each part begins. Views of the fields' texts are kept, as nothing changes
// them while the record is written.
class RecordSections {
 public:
  RecordSections(const FieldStore& fields, WindowState& state)
      : fields_(fields),
        state_(state),
        record_(state.RecordBody),
        item1_(state.Item1Empty == 0),
        item2_(state.Item2Empty == 0),
        unit_(state.UnitAbbrev),
        period_(fields.Text(Field::PPeriod)) {}

  // The notes and the tariff.
  void Tariff() {
    // A line break typed into the notes must not break the record's one-line-per-piece layout.
    const std::string& notes = Text(Field::Notes);
    if (std::any_of(notes.begin(), notes.end(), IsControl))
      record_ << OneLine(notes);
    else
      record_ << notes;
    record_.EndLine();
    record_.Dashes();
    record_ << "Water Volume Cost         : ";
    record_.Right(Text(Field::WVCost), 8, 8) << " " << state_.ChargeUnitText;
    record_.EndLine();
    TariffLine(Field::SVCost, "Sewerage Volume Cost      : ", 8, 8, " ", state_.ChargeUnitText);
    TariffLine(Field::SVAllow, "Sewerage Volume Allowance : ", 5, 5, " %");
    TariffLine(Field::VRate, "VAT                       : ", 5, 5, " %");
    TariffLine(Field::AnInfT, "Annual Inflation          : ", 6, 5, " %");
    // The period's column is (6, 5): a pad wider than the column, so "5.0" gets two blanks
    // before it, not three.
    record_ << "Payback Period            : ";
    record_.Right(period_, 6, 5) << " years ";
    record_.EndLine();
    record_.EndLine();
    record_.Dashes();
  }

  // Each item's use and investment cost.
  void Items() {
    state_.ErrorLocation = 192;
    if (item1_) ItemLine("Item 1: ", Field::Item1Use, Field::Item1UseD, Field::Item1Cost);
    state_.ErrorLocation = 193;
    if (item2_) ItemLine("Item 2: ", Field::Item2Use, Field::Item2UseD, Field::Item2Cost);
    record_.Dashes();
  }

  void WaterUse() {
    if (item1_) {
      record_ << "Item 1 Water Use  :";
      WaterLine(state_.Item1DayWater, state_.Item1QtrWater, Field::Item1W, 8);
    }
    state_.ErrorLocation = 194;
    if (item2_) {
      record_ << "Item 2 Water Use  :";
      WaterLine(state_.Item2DayWater, state_.Item2QtrWater, Field::Item2W, 7);
    }
    state_.ErrorLocation = 195;
    if (item1_ && item2_) {
      record_.Label(state_.WaterSaveLabel, 18) << ":";
      WaterLine(state_.DayWaterDiff, state_.QtrWaterDiff, Field::PeriodWater, 9);
    }
    record_.Dashes();
  }

  // The last section, without dashes after it.
  void Costs() {
    state_.ErrorLocation = 196;
    if (item1_) {
      record_ << "Item 1 Cost       : ";
      CostLine(Field::Item1Day, Field::Item1Qtr, Field::Item1Period, 5, 5, 11);
    }
    state_.ErrorLocation = 197;
    if (item2_) {
      record_ << "Item 2 Cost       : ";
      CostLine(Field::Item2Day, Field::Item2Qtr, Field::Item2Period, 5, 6, 12);
    }
    state_.ErrorLocation = 198;
    if (item1_ && item2_) {
      record_.Label(state_.CostSaveLabel, 21) << ": ";
      CostLine(Field::DaySave, Field::QtrSave, Field::PeriodSave, 4, 6, 14);
    }
  }

 private:
  const std::string& Text(Field field) const { return fields_.Text(field); }

  // A tariff value that may be empty, in which case its line is left out.
  void TariffLine(Field field, std::string_view label, int pad, int width, std::string_view suffix,
                  std::string_view unit = {}) {
    const std::string& text = Text(field);
    if (text.empty()) return;
    record_ << label;
    record_.Right(text, pad, width) << suffix << unit;
    record_.EndLine();
  }

  void ItemLine(std::string_view label, Field use, Field uses, Field cost) {
    const std::string& investment = Text(cost);
    record_ << label;
    record_.Right(Text(use), 6, 6) << " " << unit_ << " used ";
    record_.Right(Text(uses), 2, 2) << " times a day, Investment Cost: ";
    record_.Right(investment.empty() ? std::string_view("n-a") : std::string_view(investment), 8,
                  8);
    record_.EndLine();
  }

  void WaterLine(double per_day, float per_quarter, Field period_water, int period_pad) {
    if (FormatFixedInto(per_day, 1, number_))
      record_.Right(number_.view(), 6, 6);
    else
      record_.Right(FormatFixed(per_day, 1), 6, 6);
    record_ << " " << unit_ << "/day ";
    TextInto(per_quarter, number_);
    record_.Right(number_.view(), 6, 6) << " " << unit_ << "/Qtr ";
    record_.Right(Text(period_water), period_pad, 8) << " " << unit_;
    OverPeriod();
  }

  void CostLine(Field day, Field quarter, Field period_cost, int day_pad, int quarter_pad,
                int period_pad) {
    record_.Right(Text(day), day_pad, 9) << "/day, ";
    record_.Right(Text(quarter), quarter_pad, 9) << "/Qtr, ";
    record_.Right(Text(period_cost), period_pad, 11);
    OverPeriod();
  }

  // The payback period ends every water and cost line.
  void OverPeriod() {
    record_ << " over ";
    record_.Right(period_, 4, 4) << " years";
    record_.EndLine();
  }

  const FieldStore& fields_;
  WindowState& state_;
  RecordWriter record_;
  const bool item1_;
  const bool item2_;
  const std::string& unit_;
  const std::string_view period_;
  NumberText number_;
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
    // Written in place: the previous record has been kept for comparison already.
    state.RecordBody.clear();
    RecordSections record(Fields(), state);
    record.Tariff();
    record.Items();
    record.WaterUse();
    record.Costs();
    state.RecordText.assign(DateTimeText()).append(kLineEnd).append(state.RecordBody);
    state.RecordText.append(kLineEnd).append(kLineEnd);
  });
}

}  // namespace tolvarn
