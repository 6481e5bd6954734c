// tolvarn_household_bench: one Household update with 30 fittings (goal: under 1 ms through the
// Qt window), offscreen. An update is a setting changed in the Household window: the household
// checked, every fitting worked out with the tariff, and the list, totals and meter headline
// given their new figures. The drawing that follows is measured apart.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "files/household_file.h"
#include "posix/posix_file_system.h"
#include "shell/household_panel.h"
#include "shell/qt/application.h"
#include "shell/qt/household_window.h"
#include "shell/qt/main_window.h"
#include "tests/support/fake_platform.h"

namespace tolvarn {
namespace {

namespace fs = std::filesystem;

// 30 fittings, every preset in turn, and a bill to judge a meter by.
Household ThirtyFittings() {
  Household household;
  household.settings.People = 4;
  household.settings.UnmeteredBill = 600;
  household.settings.StandingCharges = 80;
  for (size_t i = 0; i < kMaxFittings; ++i)
    household.fittings.push_back(FromPreset(FittingPresets()[i % FittingPresets().size()]));
  return household;
}

// The main window on a working directory of its own, with the installed tariff, and the
// Household window open on 30 fittings.
struct Setup {
  Setup() {
    dir = fs::temp_directory_path() / ("tolvarn-household-bench-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "Log");
    fs::copy(fs::path(TOLVARN_SHARE_DIR) / "Data", dir / "Data", fs::copy_options::recursive);
    fs::copy(fs::path(TOLVARN_SHARE_DIR) / "Help", dir / "Help", fs::copy_options::recursive);
    files = std::make_unique<PosixFileSystem>(dir.string());
    if (!WriteHousehold(*files, ThirtyFittings()).ok()) std::abort();
    window = std::make_unique<MainWindow>(
        WindowServices{fake.boxes, fake.clock, fake.locale, *files, fake.launcher}, "", [](int) {});
    window->Load();
    window->show();
    window->findChild<QPushButton*>("Household")->click();
    household = window->Household();
    people = household->findChild<QLineEdit*>("People");
    QApplication::processEvents();
  }
  ~Setup() {
    window.reset();
    std::error_code ignored;
    fs::remove_all(dir, ignored);
  }

  fs::path dir;
  FakePlatform fake;
  std::unique_ptr<PosixFileSystem> files;
  std::unique_ptr<MainWindow> window;
  HouseholdWindow* household = nullptr;
  QLineEdit* people = nullptr;
};

Setup* setup = nullptr;

// Two household sizes in turn, so that each iteration changes every figure.
void BM_HouseholdUpdateQtWindow(benchmark::State& state) {
  const QString people[2] = {QStringLiteral("4"), QStringLiteral("5")};
  int turn = 0;
  for (auto _ : state) {
    setup->people->setText(people[turn ^= 1]);
    benchmark::DoNotOptimize(setup->household->Panel().Figures());
  }
  const HouseholdPanel& panel = setup->household->Panel();
  if (panel.Count() != kMaxFittings || !panel.HasFigures() ||
      !panel.Figures()->fittings[0].costPerDay)
    state.SkipWithError("not 30 fittings with their costs");
}
BENCHMARK(BM_HouseholdUpdateQtWindow)->Unit(benchmark::kMicrosecond);

// The same, and what changed drawn as the program draws it when next idle.
void BM_HouseholdUpdateQtWindowDrawn(benchmark::State& state) {
  const QString people[2] = {QStringLiteral("4"), QStringLiteral("5")};
  int turn = 0;
  for (auto _ : state) {
    setup->people->setText(people[turn ^= 1]);
    QApplication::processEvents();
  }
}
BENCHMARK(BM_HouseholdUpdateQtWindowDrawn)->Unit(benchmark::kMicrosecond);

// Following the main window after a change of its tariff: the tariff read and checked, and
// the household worked out again.
void BM_HouseholdFollowsTheTariff(benchmark::State& state) {
  const std::string charges[2] = {"1.5", "1.6"};
  int turn = 0;
  for (auto _ : state) {
    setup->window->Store().SetText(Field::WVCost, charges[turn ^= 1]);
    setup->household->Refresh();
  }
}
BENCHMARK(BM_HouseholdFollowsTheTariff)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tolvarn

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  tolvarn::Application application(argc, argv);
  benchmark::Initialize(&argc, argv);
  tolvarn::Setup setup;
  tolvarn::setup = &setup;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
