// The one way out after an unexpected failure: the configuration as read and every value on the
// window go into the results log, the user is told which step failed, and the program ends.
#include <string>

#include "core/text.h"
#include "files/files_window.h"

namespace tolvarn {
namespace {}  // namespace

std::string FilesWindow::DumpText(std::string_view OperationName, int16_t Location) {
  const WindowState& state = State();
  std::string dump;
  // Each piece ends with a line end of its own, as one line or block of the dump.
  const auto write = [&dump](std::string_view text) {
    dump += text;
    dump += kLineEnd;
  };
  const auto heading = [&](std::string_view title) {
    write(std::string(title) + std::string(kLineEnd) + std::string(title.size(), '-'));
  };
  const auto values = [&](std::initializer_list<std::string> texts) {
    std::string joined;
    bool first = true;
    for (const std::string& text : texts) {
      if (!first) joined += ", ";
      joined += text;
      first = false;
    }
    write(joined + std::string(kLineEnd));
  };
  const auto text = [&](Field field) { return OneLine(Text(field)); };
  const auto check = [&](Field box) { return std::to_string(Fields().CheckValue(box)); };

  write(DateTimeText());
  write("Tolvarn" + std::string(kLineEnd) + VersionText() + std::string(kLineEnd));
  write("******** " + std::string(OperationName) + " " + std::to_string(Location) + " ********" +
        std::string(kLineEnd));
  write("Dump of configuration file and available program data follows:" + std::string(kLineEnd));
  write(state.ConfigText);
  heading("Program Defaults");
  values({text(Field::WVCost), std::to_string(state.VUnits), text(Field::VRate),
          text(Field::SVCost), text(Field::SVAllow), text(Field::PPeriod), check(Field::OnTop),
          check(Field::AutoSave), text(Field::AnInfT)});
  heading("Item 1 Use Data");
  values({text(Field::Item1Use), text(Field::Item1UseD), TextOf(state.Item1DayWater),
          TextOf(state.Item1QtrWater), text(Field::Item1W)});
  heading("Item 2 Use Data");
  values({text(Field::Item2Use), text(Field::Item2UseD), TextOf(state.Item2DayWater),
          TextOf(state.Item2QtrWater), text(Field::Item2W)});
  heading("Item Use Comparison");
  values({TextOf(state.DayWaterDiff), TextOf(state.QtrWaterDiff), text(Field::PeriodWater)});
  heading("Item 1 Cost Data");
  values({text(Field::Item1Cost), text(Field::Item1WCost), text(Field::Item1SCost),
          text(Field::Item1Day), text(Field::Item1Qtr), text(Field::Item1Period)});
  heading("Item 2 Cost Data");
  values({text(Field::Item2Cost), text(Field::Item2WCost), text(Field::Item2SCost),
          text(Field::Item2Day), text(Field::Item2Qtr), text(Field::Item2Period)});
  heading("Item Cost Comparison");
  values({text(Field::DaySave), text(Field::QtrSave), text(Field::PeriodSave)});
  write("********** End of Error Dump **********" + std::string(kLineEnd) + std::string(kLineEnd));
  return dump;
}

void FilesWindow::FatalError(std::string_view OperationName, int16_t Location) {
  last_fatal_ = FatalReport{std::string(OperationName), Location};
  // Best effort, and as one entry so that it cannot mix with another copy's: a log that is
  // missing or cannot be written means no dump. The log is never created here.
  platform().files.Append(kLogPath, DumpText(OperationName, Location));
  std::string text = "Error Number " + std::to_string(Location) + "\r\n";
  text += "A Fatal ";
  text += OperationName;
  text += " Has Ocurred.\r\nThe Program Will Now Terminate.";
  EndWithMessage("Tolvarn Fatal Error", text, BoxIcon::Stop);
}

}  // namespace tolvarn
