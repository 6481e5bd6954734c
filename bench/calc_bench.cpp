// One whole Calculate, from the checks to the record, on the in-memory window.
#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

#include "core/memory_field_store.h"
#include "core/number_text.h"
#include "posix/posix_platform.h"
#include "shell/tolvarn_main.h"
#include "tests/support/fake_platform.h"

namespace tolvarn {
namespace {

const std::vector<std::pair<Field, std::string>> kInputs = {
    {Field::WVCost, "1.5"},
    {Field::SVCost, "1.2"},
    {Field::SVAllow, "95"},
    {Field::VRate, "17.5"},
    {Field::AnInfT, "3.5"},
    {Field::PPeriod, "7.5"},
    {Field::Item1Use, "9.87"},
    {Field::Item1UseD, "2.9"},
    {Field::Item1Cost, ""},
    {Field::Item2Use, "6"},
    {Field::Item2UseD, "3"},
    {Field::Item2Cost, "450"},
    {Field::Notes, "Washing machine, old against new"}};

// Each iteration puts the inputs back (the previous Calculate tidied them) and forgets the last
// record, so every Calculate runs in full and ends by enabling Save.
void RunCalculate(benchmark::State& bench, TolvarnMain& window, MemoryFieldStore& fields) {
  window.Start(false, false);
  for (auto _ : bench) {
    for (const auto& [field, text] : kInputs)
      fields.SetText(field, text);
    window.State().RecordBody.clear();
    window.Calc_Click();
    benchmark::DoNotOptimize(window.State().RecordText.data());
  }
  if (window.State().RecordBody.empty()) bench.SkipWithError("Calculate produced no record");
}

void BM_CalculateFakePlatform(benchmark::State& bench) {
  MemoryFieldStore fields;
  FakePlatform fake;
  TolvarnMain window(fields, fake.platform());
  RunCalculate(bench, window, fields);
}
BENCHMARK(BM_CalculateFakePlatform);

// With the real clock and locale, which the record's date line and the currency symbol use.
void BM_CalculateSystemPlatform(benchmark::State& bench) {
  MemoryFieldStore fields;
  FakePlatform fake;
  SystemClock clock;
  SystemLocale locale;
  TolvarnMain window(
      fields, {fake.boxes, clock, locale, fake.process, fake.files, fake.launcher, fake.window});
  RunCalculate(bench, window, fields);
}
BENCHMARK(BM_CalculateSystemPlatform);

void BM_TextOf(benchmark::State& bench) {
  double value = 0.0123456789;
  for (auto _ : bench) {
    benchmark::DoNotOptimize(TextOf(value));
    value += 1.1;
  }
}
BENCHMARK(BM_TextOf);

void BM_TextValue(benchmark::State& bench) {
  const std::string text = "0.0361599999999999";
  for (auto _ : bench)
    benchmark::DoNotOptimize(TextValue(text));
}
BENCHMARK(BM_TextValue);

}  // namespace
}  // namespace tolvarn
