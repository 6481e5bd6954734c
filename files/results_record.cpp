// The results record: a fixed-layout block of lines that repeats the notes, the tariff, the
// item data and every result, so that successive records line up in a monospaced viewer.
#include <string>

#include "../core/utf8.h"
#include "files_window.h"

namespace tolvarn {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
const std::string kDashes(77, '-');

}  // namespace

std::string RightColumn(std::string_view value, int pad, int width) {
  std::string text(static_cast<size_t>(pad), ' ');
  text += value;
  return utf8::TakeLast(text, static_cast<size_t>(width));
}

std::string LeftLabel(std::string_view label, int pad) {
  std::string text(label);
  text.append(static_cast<size_t>(pad), ' ');
  return utf8::Take(text, 18);
}

std::string FilesWindow::DateTimeText() {
  const LocalDateTime now = platform().clock.Now();
  return platform().locale.ShortDate(now) + " " + TwoDigits(now.hour) + ":" +
         TwoDigits(now.minute) + ":" + TwoDigits(now.second);
}

void FilesWindow::BuildRecord() {
  Guarded("Log Data Error", [&] {
    WindowState& state = State();
    state.ErrorLocation = 191;
    const auto investment = [&](Field cost) {
      std::string text = Text(cost);
      return text.empty() ? std::string("n-a") : text;
    };
    const std::string item1_investment = investment(Field::Item1Cost);
    const std::string item2_investment = investment(Field::Item2Cost);
    state.RecordText = DateTimeText();
    state.RecordText += kLineEnd;

    const bool item1 = state.Item1Empty == 0;
    const bool item2 = state.Item2Empty == 0;
    const std::string& unit = state.UnitAbbrev;
    // The payback period is shown at the end of every water and cost line.
    const std::string over_period = " over " + RightColumn(Text(Field::PPeriod), 4, 4) + " years";

    std::string body;
    const auto line = [&body](const std::string& text) {
      body += text;
      body += kLineEnd;
    };
    const auto tariff = [&](Field field, std::string_view label, int pad, int width,
                            std::string_view suffix) {
      const std::string text = Text(field);
      if (!text.empty())
        line(std::string(label) + RightColumn(text, pad, width) + std::string(suffix));
    };

    line(Text(Field::Notes));
    line(kDashes);
    line("Water Volume Cost         : " + RightColumn(Text(Field::WVCost), 8, 8) + " " +
         state.ChargeUnitText);
    tariff(Field::SVCost, "Sewerage Volume Cost      : ", 8, 8, " " + state.ChargeUnitText);
    tariff(Field::SVAllow, "Sewerage Volume Allowance : ", 5, 5, " %");
    tariff(Field::VRate, "VAT                       : ", 5, 5, " %");
    tariff(Field::AnInfT, "Annual Inflation          : ", 6, 5, " %");
    // The period's column is (6, 5): a pad wider than the column, so "5.0" gets two blanks
    // before it, not three.
    line("Payback Period            : " + RightColumn(Text(Field::PPeriod), 6, 5) + " years ");
    line("");
    line(kDashes);

    state.ErrorLocation = 192;
    const auto item_line = [&](std::string_view label, Field use, Field uses,
                               const std::string& investment_cost) {
      line(std::string(label) + RightColumn(Text(use), 6, 6) + " " + unit + " used " +
           RightColumn(Text(uses), 2, 2) +
           " times a day, Investment Cost: " + RightColumn(investment_cost, 8, 8));
    };
    if (item1) item_line("Item 1: ", Field::Item1Use, Field::Item1UseD, item1_investment);
    state.ErrorLocation = 193;
    if (item2) item_line("Item 2: ", Field::Item2Use, Field::Item2UseD, item2_investment);
    line(kDashes);

    const auto water_line = [&](const std::string& label, double per_day, float per_quarter,
                                Field period_water, int period_pad) {
      line(label + RightColumn(FormatFixed(per_day, 1), 6, 6) + " " + unit + "/day " +
           RightColumn(TextOf(per_quarter), 6, 6) + " " + unit + "/Qtr " +
           RightColumn(Text(period_water), period_pad, 8) + " " + unit + over_period);
    };
    if (item1)
      water_line("Item 1 Water Use  :", state.Item1DayWater, state.Item1QtrWater, Field::Item1W, 8);
    state.ErrorLocation = 194;
    if (item2)
      water_line("Item 2 Water Use  :", state.Item2DayWater, state.Item2QtrWater, Field::Item2W, 7);
    state.ErrorLocation = 195;
    if (item1 && item2)
      water_line(LeftLabel(state.WaterSaveLabel, 18) + ":", state.DayWaterDiff, state.QtrWaterDiff,
                 Field::PeriodWater, 9);
    line(kDashes);

    const auto cost_line = [&](const std::string& label, Field day, Field quarter, Field period,
                               int day_pad, int quarter_pad, int period_pad) {
      line(label + RightColumn(Text(day), day_pad, 9) + "/day, " +
           RightColumn(Text(quarter), quarter_pad, 9) + "/Qtr, " +
           RightColumn(Text(period), period_pad, 11) + over_period);
    };
    state.ErrorLocation = 196;
    if (item1)
      cost_line("Item 1 Cost       : ", Field::Item1Day, Field::Item1Qtr, Field::Item1Period, 5, 5,
                11);
    state.ErrorLocation = 197;
    if (item2)
      cost_line("Item 2 Cost       : ", Field::Item2Day, Field::Item2Qtr, Field::Item2Period, 5, 6,
                12);
    state.ErrorLocation = 198;
    if (item1 && item2)
      cost_line(LeftLabel(state.CostSaveLabel, 21) + ": ", Field::DaySave, Field::QtrSave,
                Field::PeriodSave, 4, 6, 14);

    state.RecordBody = std::move(body);
    state.RecordText += state.RecordBody;
    state.RecordText += kLineEnd;
    state.RecordText += kLineEnd;
  });
}

}  // namespace tolvarn
