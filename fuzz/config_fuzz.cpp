// Reading any configuration file: the window filled with values in their ranges, or the end
// with the file's own message or through the fatal path; no field holds infinity or NaN.
#include "core/memory_field_store.h"
#include "fuzz/fuzz_support.h"
#include "shell/tolvarn_main.h"
#include "tests/support/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tolvarn;
  MemoryFieldStore fields;
  FakePlatform fake;
  fake.files.AddDirectory("Data");
  fake.files.AddDirectory("Log");
  fake.files.files["Data/Tolvarn.ini"] = std::string(reinterpret_cast<const char*>(data), size);
  fake.files.files["Log/Tolvarn.log"] = "";
  TolvarnMain window(fields, fake.platform());
  try {
    window.Start(false, true);
  } catch (const ProgramEnded&) {
    if (window.LastFatalError()) {
      if (window.LastFatalError()->operation != "Config Read Error")
        fuzz::Fail("a fatal error other than the reading's", window.LastFatalError()->operation);
      return 0;
    }
    const auto& boxes = fake.boxes.Shown();
    if (boxes.empty() || boxes.back().title != "Tolvarn Configuration File Error")
      fuzz::Fail("the program ended without the file's message", "");
    return 0;
  }
  const WindowState& state = window.State();
  if (state.LogLevel < 1 || state.LogLevel > 2 || state.RunOnTop < 1 || state.RunOnTop > 2 ||
      state.VUnits < 1 || state.VUnits > 2)
    fuzz::Fail("an option out of its range", state.ConfigText);
  const std::string& symbol = state.CurrencySymbol;
  for (const Field field :
       {Field::WVCost, Field::SVCost, Field::SVAllow, Field::VRate, Field::AnInfT, Field::PPeriod})
    fuzz::CheckResultText(fields.Text(field), symbol);
  const double water = TextValue(fields.Text(Field::WVCost).substr(symbol.size()));
  if (water < 0.1 || water > 5)
    fuzz::Fail("a water charge out of range", fields.Text(Field::WVCost));
  return 0;
}
