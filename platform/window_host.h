// What the logic asks of the window that shows it, beyond its fields: its title, staying above
// other windows, the About window, and closing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolvarn {

class WindowHost {
 public:
  virtual ~WindowHost() = default;
  virtual void SetTitle(std::string_view title) = 0;
  // Keeps the main window above other windows (or lets them come in front again), without
  // moving, resizing or activating it as far as the desktop allows.
  virtual void SetTopMost(bool on_top) = 0;
  // Shows the About window modally and returns once it is closed.
  virtual void ShowAbout() = 0;
  virtual void Close() = 0;
};

// For a window that is not shown (tests, tolvarn-calc): remembers what it was asked.
class HeadlessWindow final : public WindowHost {
 public:
  void SetTitle(std::string_view title) override { this->title = title; }
  void SetTopMost(bool on_top) override { top_most.push_back(on_top); }
  void ShowAbout() override { ++about_shown; }
  void Close() override { closed = true; }

  std::string title;
  std::vector<bool> top_most;  // every request, in order
  int about_shown = 0;
  bool closed = false;
};

}  // namespace tolvarn
