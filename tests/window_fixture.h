// A fresh main window in memory for each test, with a scripted platform: message boxes are
// recorded (questions answered from a script), the clock and the locale are fixed, and ending
// the program throws ProgramEnded instead of ending the test process.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "core/memory_field_store.h"
#include "platform/fake_platform.h"
#include "shell/tolvarn_main.h"

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
  WindowState& State() { return window.State(); }

  // Runs a procedure that is expected to end the program through the fatal-error path and
  // returns the operation name and step it reported.
  template <class Procedure>
  std::pair<std::string, int> ExpectFatal(Procedure&& procedure) {
    try {
      procedure();
    } catch (const ProgramEnded& ended) {
      EXPECT_EQ(ended.status, kFatalExitStatus);
      const auto& report = window.LastFatalError();
      if (!report) return {"(no report)", -1};
      return {report->operation, report->location};
    }
    ADD_FAILURE() << "the program did not end";
    return {"", 0};
  }

  MemoryFieldStore fields;
  FakePlatform fake;
  RecordingWindow window;
};

}  // namespace tolvarn::testing
