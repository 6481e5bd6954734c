// tolvarn_payback_bench: one Payback update over 50 years (goal: under 1 ms through the Qt
// window), offscreen. An update is an input changed in the Payback window: the inputs checked,
// the comparison worked out, the table, totals and chart given their new figures. The drawing
// that follows, when the program is next idle, is measured apart.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <cstdlib>

#include "bench/window_bench.h"
#include "shell/payback_panel.h"
#include "shell/qt/payback_window.h"
#include "tests/support/fake_platform.h"

namespace tolvarn {
namespace {

// The main window on a working directory of its own, after a Calculate of both items, with
// the Payback window open on 50 years.
struct Setup {
  bench::WindowInFolder folder{"tolvarn-payback-bench"};
  PaybackWindow* payback = Open(folder.Window());
  QLineEdit* discount = payback->findChild<QLineEdit*>("Discount");

  static PaybackWindow* Open(MainWindow& window) {
    for (const auto& [field, text] :
         {std::pair{Field::Item1Use, "65"}, std::pair{Field::Item1UseD, "1"},
          std::pair{Field::Item2Use, "45"}, std::pair{Field::Item2UseD, "1"},
          std::pair{Field::Item2Cost, "450"}})
      window.Store().SetText(field, text);
    window.findChild<QPushButton*>("Calc")->click();
    window.findChild<QPushButton*>("Payback")->click();
    PaybackWindow* payback = window.Payback();
    for (const auto& [name, text] :
         {std::pair{"Horizon", "50"}, std::pair{"EnergyPrice", "0.28"},
          std::pair{"Item1OwnEnergy", "1.2"}, std::pair{"Item2OwnEnergy", "0.7"},
          std::pair{"Co2PerKWh", "0.2"}})
      payback->findChild<QLineEdit*>(name)->setText(text);
    QApplication::processEvents();
    return payback;
  }
};

Setup* setup = nullptr;

// Two discount rates in turn, so that each iteration works out a new comparison.
void BM_PaybackUpdateQtWindow(benchmark::State& state) {
  const QString rates[2] = {QStringLiteral("3"), QStringLiteral("3.5")};
  int turn = 0;
  for (auto _ : state) {
    setup->discount->setText(rates[turn ^= 1]);
    benchmark::DoNotOptimize(setup->payback->Panel().Rows());
  }
  if (setup->payback->Panel().Rows() != 51) state.SkipWithError("not 50 years");
}
BENCHMARK(BM_PaybackUpdateQtWindow)->Unit(benchmark::kMicrosecond);

// The same, and what changed drawn as the program draws it when next idle: the pending events
// handled, the chart, table, labels and the input redrawn.
void BM_PaybackUpdateQtWindowDrawn(benchmark::State& state) {
  const QString rates[2] = {QStringLiteral("3"), QStringLiteral("3.5")};
  int turn = 0;
  for (auto _ : state) {
    setup->discount->setText(rates[turn ^= 1]);
    QApplication::processEvents();
  }
}
BENCHMARK(BM_PaybackUpdateQtWindowDrawn)->Unit(benchmark::kMicrosecond);

// The same with the whole window drawn afresh: the most an update can cost to show.
void BM_PaybackUpdateQtWindowAllDrawn(benchmark::State& state) {
  const QString rates[2] = {QStringLiteral("3"), QStringLiteral("3.5")};
  int turn = 0;
  for (auto _ : state) {
    setup->discount->setText(rates[turn ^= 1]);
    setup->payback->repaint();
  }
}
BENCHMARK(BM_PaybackUpdateQtWindowAllDrawn)->Unit(benchmark::kMicrosecond);

// The toolkit-free part alone: check, work out, format the table and totals.
void BM_PaybackPanelUpdate(benchmark::State& state) {
  FakePlatform fake;
  PaybackPanel panel(fake.files, fake.boxes);
  CalculatedInputs calculated;
  calculated.WaterCharge = 1.5;
  calculated.SewerageCharge = 1.8;
  calculated.SewerageAllowance = 95;
  calculated.Inflation = 2;
  calculated.items[0] = {65, 1, 0};
  calculated.items[1] = {45, 1, 450};
  panel.Follow(calculated, "\u00A3");
  panel.SetText(PaybackInput::Horizon, "50");
  const std::string rates[2] = {"3", "3.5"};
  int turn = 0;
  for (auto _ : state) {
    panel.SetText(PaybackInput::Discount, rates[turn ^= 1]);
    benchmark::DoNotOptimize(panel.Rows());
  }
}
BENCHMARK(BM_PaybackPanelUpdate)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tolvarn

int main(int argc, char** argv) {
  return tolvarn::bench::RunWindowBenchmarks(argc, argv, tolvarn::setup);
}
