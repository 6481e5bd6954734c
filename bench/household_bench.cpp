// tolvarn_household_bench: one Household update with 30 fittings (goal: under 1 ms through the
// Qt window), offscreen. An update is a setting changed in the Household window: the household
// checked, every fitting worked out with the tariff, and the list, totals and meter headline
// given their new figures. The drawing that follows is measured apart.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <cstdlib>

#include "bench/window_bench.h"
#include "files/household_file.h"
#include "shell/household_panel.h"
#include "shell/qt/household_window.h"

namespace tolvarn {
namespace {

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
  bench::WindowInFolder folder{"tolvarn-household-bench", [](PosixFileSystem& files) {
                                 if (!WriteHousehold(files, ThirtyFittings()).ok()) std::abort();
                               }};
  HouseholdWindow* household = Open(folder.Window());
  QLineEdit* people = household->findChild<QLineEdit*>("People");

  static HouseholdWindow* Open(MainWindow& window) {
    window.findChild<QPushButton*>("Household")->click();
    QApplication::processEvents();
    return window.Household();
  }
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
    setup->folder.Window().Store().SetText(Field::WVCost, charges[turn ^= 1]);
    setup->household->Refresh();
  }
}
BENCHMARK(BM_HouseholdFollowsTheTariff)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tolvarn

int main(int argc, char** argv) {
  return tolvarn::bench::RunWindowBenchmarks(argc, argv, tolvarn::setup);
}
