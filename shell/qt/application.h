// The program's start: the working directory, the named object "Tolvarn", the main window (its
// load handler, then its activation handler) and the event loop.
#pragma once

#include <QApplication>
#include <functional>

namespace tolvarn {

namespace application_detail {
// Makes the quick font configuration current: a base of Application, so that it comes before
// the toolkit reads any font.
struct QuickFonts {
  QuickFonts();
};
}  // namespace application_detail

// The toolkit as the program, its tools and its window tests start it: with the quick font
// configuration, and the window's font for every widget (message boxes and the About window
// share it, so no second font is loaded).
class Application final : private application_detail::QuickFonts, public QApplication {
 public:
  Application(int& argc, char** argv);
};

// `when_idle`, if given, runs once the window has been drawn and has nothing left to do (the
// start-up benchmark notes the time there and ends the event loop).
int RunTolvarn(int argc, char** argv, const std::function<void()>& when_idle = {});

}  // namespace tolvarn
