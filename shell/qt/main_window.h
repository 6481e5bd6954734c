// The main window on screen: the Designer form, bound to the logic's field names, forwarding
// every click and timer event to the toolkit-free window object, which owns all state.
#pragma once

#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "platform/platform.h"
#include "posix/throwing_process.h"
#include "shell/qt/qt_field_store.h"
#include "shell/tolvarn_main.h"

namespace Ui {
class TolvarnMain;
}

class QLabel;

namespace tolvarn {

class HouseholdWindow;
class PaybackWindow;

// The outside world the window works with; tests hand in fakes.
struct WindowServices {
  MessageBoxes& boxes;
  Clock& clock;
  Locale& locale;
  FileSystem& files;
  Launcher& launcher;
};

class MainWindow final : public QWidget, public WindowHost {
  Q_OBJECT

 public:
  // `arguments` is the program's argument text; `on_end` ends the program with a status.
  MainWindow(const WindowServices& services, std::string arguments,
             std::function<void(int)> on_end);
  ~MainWindow() override;

  // The load handler; the program may end in it (a broken installation, a damaged file).
  void Load();
  // The activation handler: after loading only (closing the About window, or switching to
  // another program and back, is no activation: a result waiting for Save stays savable).
  void Activate();

  // The window's font: Arial 9.75 point, the program's font throughout.
  static QFont BaseFont();

  TolvarnMain& Logic() { return *logic_; }
  QtFieldStore& Store() { return *store_; }

  void SetTitle(std::string_view title) override;
  void SetTopMost(bool on_top) override;
  void ShowAbout() override;
  void Close() override;

  // The Payback window, made the first time the Payback button is used (none before).
  PaybackWindow* Payback() const { return payback_.get(); }
  // The Payback window, made now if not yet, without showing it; OpenPayback shows it.
  PaybackWindow& MakePayback();
  void OpenPayback() { ShowPayback(); }
  // The Calculate command, as its button runs it.
  void Calculate();
  // The Household window, made the first time the Household button is used (none before).
  HouseholdWindow* Household() const { return household_.get(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  // Return or Enter in a field runs Calculate, the window's default command.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // Runs a handler of the logic; an ending of the program is passed to `on_end`.
  void Handle(const std::function<void()>& handler);
  void ConnectEvents();
  void ApplyLook();
  // After each command: the Payback button and an open Payback window follow the last
  // Calculate.
  void FollowCommand();
  // Gives each control its accessible name from the captions it shows, and each comparison
  // field the meaning its colour gives.
  void NameControls();
  void ShowPayback();
  void ShowHousehold();
  // Gives the window its natural size, fixed, and keeps every control still whatever a caption
  // or the status line says.
  void FixLayout(QLayout& window_layout);
  // Makes each field as wide as the widest text it shows for any value the checks accept.
  void SizeFields();

  std::unique_ptr<Ui::TolvarnMain> ui_;
  QTimer timer_;
  std::unique_ptr<QtFieldStore> store_;
  ThrowingProcess process_;
  std::unique_ptr<TolvarnMain> logic_;
  std::function<void(int)> on_end_;
  FileSystem& files_;
  MessageBoxes& boxes_;
  // Declared after the logic it refers to, so it goes first.
  std::unique_ptr<PaybackWindow> payback_;
  // After the Payback window, whose logic it reads: it goes before it.
  std::unique_ptr<HouseholdWindow> household_;
  // The labels each control's accessible name is made of: its row's, its column's, its unit's.
  std::array<std::array<const QLabel*, 3>, 32> captions_{};
};

}  // namespace tolvarn
