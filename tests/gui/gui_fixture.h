// The real window, offscreen, in a working directory of its own. Message boxes are scripted; a
// watchdog closes any modal window a test did not expect and fails the test.
#pragma once

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "posix/posix_file_system.h"
#include "posix/xdg_launcher.h"
#include "shell/qt/event_loop_watch.h"
#include "shell/qt/main_window.h"
#include "temp_dir.h"
#include "tests/support/fake_platform.h"

namespace tolvarn::testing {

class GuiTest : public TempDir {
 protected:
  void SetUp() override {
    Install();
    fake_.boxes.throw_unexpected = false;
    watchdog_.setInterval(50);
    QObject::connect(&watchdog_, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (modal == nullptr || modal->windowTitle().toStdString() == expected_modal_) return;
      unexpected_modal_ = modal->windowTitle().toStdString();
      modal->close();
    });
    watchdog_.start();
  }

  void TearDown() override {
    watchdog_.stop();
    window_.reset();
    handlers_.reset();
    if (path_) ::setenv("PATH", path_->c_str(), 1);
    EXPECT_EQ(unexpected_modal_, "") << "a modal window appeared that the test did not expect";
    EXPECT_TRUE(fake_.boxes.unexpected.empty())
        << "an unexpected question: " << fake_.boxes.unexpected.front().title;
  }

  // Starts the window as the program does, on `screen` if given; false if it ended while loading.
  bool Open(QScreen* screen = nullptr) {
    files_ = std::make_unique<PosixFileSystem>(dir_.string());
    handlers_ = std::make_unique<QObject>();
    launcher_ = std::make_unique<XdgLauncher>(dir_.string(), WatchInEventLoop(*handlers_));
    window_ = std::make_unique<MainWindow>(
        WindowServices{fake_.boxes, fake_.clock, fake_.locale, *files_, *launcher_}, "",
        [this](int status) { ended_ = status; });
    if (screen != nullptr) {
      window_->setScreen(screen);
      window_->move(screen->availableGeometry().topLeft() + QPoint(40, 40));
    }
    window_->Load();
    if (ended_ >= 0) return false;
    window_->show();
    window_->Activate();
    return true;
  }

  // The desktop's default handler, until the test ends: a shell script of `body`.
  void FakeXdgOpen(const std::string& body) {
    std::filesystem::create_directory(dir_ / "bin");
    Write("bin/xdg-open", "#!/bin/sh\n" + body);
    std::filesystem::permissions(dir_ / "bin/xdg-open", std::filesystem::perms::owner_all);
    path_ = std::getenv("PATH");
    ::setenv("PATH", ((dir_ / "bin").string() + ":" + *path_).c_str(), 1);
  }

  // A control of the main window, or of `in`.
  template <class T>
  T* Widget(const char* name, const QWidget* in = nullptr) const {
    T* widget = (in != nullptr ? in : window_.get())->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  // Types into an input as a user would, replacing what it held.
  static void Type(QLineEdit* edit, const std::string& text) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, QString::fromStdString(text));
  }
  // Types "Field=text" for each word of `assignments`.
  void TypeAll(const std::string& assignments) {
    std::istringstream words(assignments);
    for (std::string word; words >> word;) {
      const size_t equals = word.find('=');
      Type(Widget<QLineEdit>(word.substr(0, equals).c_str()), word.substr(equals + 1));
    }
  }
  void Click(const char* name, const QWidget* in = nullptr) {
    QTest::mouseClick(Widget<QAbstractButton>(name, in), Qt::LeftButton);
  }
  // What a screen reader calls each control of `window` that Tab reaches, by the control's name;
  // every one has a tooltip and a name.
  static std::map<std::string, std::string> SpokenNames(const QWidget& window) {
    std::map<std::string, std::string> spoken;
    for (QWidget* control : window.findChildren<QWidget*>()) {
      const std::string name = control->objectName().toStdString();
      if ((control->focusPolicy() & Qt::TabFocus) == 0 || name.empty() || name.starts_with("qt_"))
        continue;
      EXPECT_FALSE(control->toolTip().isEmpty()) << name;
      spoken[name] = QAccessible::queryAccessibleInterface(control)
                         ->text(QAccessible::Name)
                         .remove(QLatin1Char(':'))
                         .toStdString();
      EXPECT_FALSE(spoken[name].empty()) << name;
    }
    return spoken;
  }
  std::string TextOf(const char* name) const {
    return Widget<QLineEdit>(name)->text().toStdString();
  }

  FakePlatform fake_;
  std::unique_ptr<PosixFileSystem> files_;
  std::unique_ptr<QObject> handlers_;  // the running handlers are watched while it lives
  std::unique_ptr<XdgLauncher> launcher_;
  std::unique_ptr<MainWindow> window_;
  int ended_ = -1;
  std::string expected_modal_;  // the title of a modal window the test means to open

 private:
  QTimer watchdog_;
  std::string unexpected_modal_;
  std::optional<std::string> path_;  // PATH before FakeXdgOpen
};

}  // namespace tolvarn::testing
