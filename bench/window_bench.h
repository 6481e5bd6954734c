// What the window benchmarks share: the main window on a working directory of its own, made
// from the installed template, and a main that runs them offscreen.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "posix/posix_file_system.h"
#include "shell/qt/application.h"
#include "shell/qt/main_window.h"
#include "tests/support/fake_platform.h"

namespace tolvarn::bench {

class WindowInFolder {
 public:
  // `prepare` runs on the folder's files before the window loads them.
  explicit WindowInFolder(const std::string& name,
                          const std::function<void(PosixFileSystem&)>& prepare = {}) {
    namespace fs = std::filesystem;
    dir_ = fs::temp_directory_path() / (name + "-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "Log");
    fs::copy(fs::path(TOLVARN_SHARE_DIR) / "Data", dir_ / "Data", fs::copy_options::recursive);
    fs::copy(fs::path(TOLVARN_SHARE_DIR) / "Help", dir_ / "Help", fs::copy_options::recursive);
    files_ = std::make_unique<PosixFileSystem>(dir_.string());
    if (prepare) prepare(*files_);
    window_ = std::make_unique<MainWindow>(
        WindowServices{fake_.boxes, fake_.clock, fake_.locale, *files_, fake_.launcher}, "",
        [](int) {});
    window_->Load();
    window_->show();
  }
  ~WindowInFolder() {
    window_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  MainWindow& Window() { return *window_; }

 private:
  std::filesystem::path dir_;
  FakePlatform fake_;
  std::unique_ptr<PosixFileSystem> files_;
  std::unique_ptr<MainWindow> window_;
};

// Runs the benchmarks offscreen with one `Setup` made after the toolkit starts; `current`
// points to it meanwhile.
template <class Setup>
int RunWindowBenchmarks(int argc, char** argv, Setup*& current) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  Application application(argc, argv);
  benchmark::Initialize(&argc, argv);
  Setup setup;
  current = &setup;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace tolvarn::bench
