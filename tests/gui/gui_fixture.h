// The real window, offscreen, on a working directory of its own for each test. Message boxes
// are answered from a script and recorded; a watchdog closes any modal window a test did not
// expect and fails the test, so that nothing ever waits for a person. xdg-open is a fake on
// PATH that writes down what it was asked to open.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "platform/fake_platform.h"
#include "platform/posix_file_system.h"
#include "platform/xdg_launcher.h"
#include "shell/qt/event_loop_watch.h"
#include "shell/qt/main_window.h"
#include "temp_dir.h"

namespace tolvarn::testing {

class GuiTest : public TempDir {
 protected:
  void SetUp() override {
    Install();
    std::filesystem::create_directory(dir_ / "bin");
    // The desktop's default handler, replaced by one that writes down its argument.
    Write("bin/xdg-open", "#!/bin/sh\necho \"$1\" >> \"" + (dir_ / "opened").string() + "\"\n");
    std::filesystem::permissions(dir_ / "bin/xdg-open", std::filesystem::perms::owner_all);
    saved_path_ = std::getenv("PATH");
    ::setenv("PATH", ((dir_ / "bin").string() + ":" + saved_path_).c_str(), 1);
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
    ::setenv("PATH", saved_path_.c_str(), 1);
    EXPECT_EQ(unexpected_modal_, "") << "a modal window appeared that the test did not expect";
    EXPECT_TRUE(fake_.boxes.unexpected.empty())
        << "an unexpected question: " << fake_.boxes.unexpected.front().title;
  }

  // Starts the window as the program does; false when the program ended while loading.
  bool Open(const std::string& arguments = "", Locale* locale = nullptr) {
    files_ = std::make_unique<PosixFileSystem>(dir_.string());
    handlers_ = std::make_unique<QObject>();
    launcher_ = std::make_unique<XdgLauncher>(dir_.string(), WatchInEventLoop(*handlers_));
    window_ = std::make_unique<MainWindow>(
        WindowServices{fake_.boxes, fake_.clock, locale != nullptr ? *locale : fake_.locale,
                       *files_, *launcher_},
        arguments, [this](int status) { ended_ = status; });
    if (screen_ != nullptr) {
      window_->setScreen(screen_);
      window_->move(screen_->availableGeometry().topLeft() + QPoint(40, 40));
    }
    window_->Load();
    if (ended_ >= 0) return false;
    window_->show();
    window_->Activate();
    return true;
  }

  template <class T>
  T* Widget(const char* name) const {
    T* widget = window_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  // Types into an input as a user would, replacing what it held.
  void Type(const char* name, const std::string& text) {
    QLineEdit* edit = Widget<QLineEdit>(name);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, QString::fromStdString(text));
  }
  // Types "Field=text" for each word of `assignments`.
  void TypeAll(const std::string& assignments) {
    std::istringstream words(assignments);
    for (std::string word; words >> word;) {
      const size_t equals = word.find('=');
      Type(word.substr(0, equals).c_str(), word.substr(equals + 1));
    }
  }
  void Click(const char* name) { QTest::mouseClick(Widget<QAbstractButton>(name), Qt::LeftButton); }
  std::string TextOf(const char* name) const {
    return Widget<QLineEdit>(name)->text().toStdString();
  }
  // Lets the window run until `done` holds, or five seconds have passed.
  static bool WaitFor(const std::function<bool()>& done) { return QTest::qWaitFor(done, 5000); }
  std::string Caption(const char* name) const { return Widget<QLabel>(name)->text().toStdString(); }

  FakePlatform fake_;
  std::unique_ptr<PosixFileSystem> files_;
  std::unique_ptr<QObject> handlers_;  // the running handlers are watched while it lives
  std::unique_ptr<XdgLauncher> launcher_;
  std::unique_ptr<MainWindow> window_;
  int ended_ = -1;
  QScreen* screen_ = nullptr;   // the screen to open the window on; none: the first
  std::string expected_modal_;  // the title of a modal window the test means to open

 private:
  std::string saved_path_;
  QTimer watchdog_;
  std::string unexpected_modal_;
};

}  // namespace tolvarn::testing
