// A fresh main window in memory for each test, with a scripted platform: message boxes are
// recorded (questions answered from a script), the clock and the locale are fixed, and ending
// the program throws ProgramEnded instead of ending the test process.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "core/memory_field_store.h"
#include "shell/tolvarn_main.h"
#include "tests/support/fake_platform.h"

namespace tolvarn::testing {

// Counts appends instead of writing a log file.
class RecordingWindow : public TolvarnMain {
 public:
  using TolvarnMain::TolvarnMain;
  void AppendToLog() override {
    ++appends;
    appended.push_back(State().RecordText);
  }
  int appends = 0;
  std::vector<std::string> appended;
};

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() : window(fields, fake.platform()) {}

  // Starts as the program does without a configuration file.
  void Start(bool inhibit = false, bool gallons = false) {
    window.Start(inhibit, false);
    if (gallons) window.SetCheckBox(Field::VolUnits1, 1);
    fake.boxes.Clear();
  }

  void Set(std::initializer_list<std::pair<Field, std::string>> texts) {
    for (const auto& [field, text] : texts)
      fields.SetText(field, text);
  }
  std::string Text(Field field) const { return fields.Text(field); }

  // The tariff and both items in the window's order, typed from one text ("1.5|2|95|20||5|...").
  static constexpr Field kInputs[] = {Field::WVCost,   Field::SVCost,    Field::SVAllow,
                                      Field::VRate,    Field::AnInfT,    Field::PPeriod,
                                      Field::Item1Use, Field::Item1UseD, Field::Item1Cost,
                                      Field::Item2Use, Field::Item2UseD, Field::Item2Cost};
  static constexpr Field kResults[] = {
      Field::Item1WCost,  Field::Item1SCost, Field::Item1Day,    Field::Item1Qtr,
      Field::Item1Period, Field::Item1W,     Field::Item2WCost,  Field::Item2SCost,
      Field::Item2Day,    Field::Item2Qtr,   Field::Item2Period, Field::Item2W,
      Field::DaySave,     Field::QtrSave,    Field::PeriodSave,  Field::PeriodWater};
  template <size_t N = 12>
  void Enter(const std::string& texts, const Field (&which)[N] = kInputs) {
    size_t start = 0;
    for (const Field field : which) {
      const size_t end = std::min(texts.find('|', start), texts.size());
      fields.SetText(field, start <= texts.size() ? texts.substr(start, end - start) : "");
      start = end + 1;
    }
  }
  template <size_t N>
  std::string Texts(const Field (&which)[N]) const {
    std::string joined;
    for (size_t i = 0; i < N; ++i)
      joined += (i == 0 ? "" : "|") + fields.Text(which[i]);
    return joined;
  }
  WindowState& State() { return window.State(); }

  // The boxes shown since the last check, title, text, icon and buttons, in order.
  void ExpectBoxes(const std::vector<MessageBoxRequest>& expected) {
    const auto describe = [](const std::vector<MessageBoxRequest>& boxes) {
      std::vector<std::string> lines;
      for (const MessageBoxRequest& box : boxes)
        lines.push_back(box.title + " | " + box.text + " | " +
                        std::to_string(static_cast<int>(box.icon)) + " | " +
                        std::to_string(static_cast<int>(box.buttons)));
      return lines;
    };
    EXPECT_EQ(describe(fake.boxes.Shown()), describe(expected));
    fake.boxes.Clear();
  }

  // Runs a procedure that is expected to end the program through the fatal-error path and
  // returns the operation name and step it reported.
  template <class Procedure>
  std::pair<std::string, int> ExpectFatal(Procedure&& procedure) {
    try {
      procedure();
      ADD_FAILURE() << "the program did not end";
    } catch (const ProgramEnded& ended) {
      EXPECT_EQ(ended.status, kFatalExitStatus);
    }
    const auto& report = window.LastFatalError();
    if (!report) return {"(no report)", -1};
    return {report->operation, report->location};
  }

  MemoryFieldStore fields;
  FakePlatform fake;
  RecordingWindow window;
};

}  // namespace tolvarn::testing
