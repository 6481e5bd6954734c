// Calculate on any inputs, checks inhibited or not, in litres or gallons: a calculation, a
// data-error box or the fatal path, and every result field holds a number or nothing.
#include "core/memory_field_store.h"
#include "fuzz/fuzz_support.h"
#include "shell/tolvarn_main.h"
#include "tests/support/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tolvarn;
  if (size == 0) return 0;
  const bool inhibit = (data[0] & 1) != 0;
  const bool gallons = (data[0] & 2) != 0;
  const bool twice = (data[0] & 4) != 0;
  std::vector<Field> inputs;  // the tariff, both items and the notes, in the window's order
  for (const Field field : AllFields())
    if (KindOf(field) == FieldKind::Input) inputs.push_back(field);
  const auto texts = fuzz::SplitTexts(data + 1, size - 1, inputs.size());
  MemoryFieldStore fields;
  FakePlatform fake;
  fake.files.AddDirectory("Log");
  fake.files.files["Log/Tolvarn.log"] = "";
  TolvarnMain window(fields, fake.platform());
  window.Start(inhibit, false);
  if (gallons) window.SetCheckBox(Field::VolUnits1, 1);
  window.SetCheckBox(Field::AutoSave, 1);  // AppendToLog through the fake file system
  for (size_t i = 0; i < inputs.size(); ++i)
    fields.SetText(inputs[i], texts[i]);
  try {
    window.Calc_Click();
    if (twice) window.Calc_Click();  // on the tidied inputs, symbols and all
  } catch (const ProgramEnded&) {
    if (!window.LastFatalError()) fuzz::Fail("the program ended without a fatal error", "");
    return 0;
  }
  const std::string& symbol = window.State().CurrencySymbol;
  for (const Field field : AllFields())
    if (KindOf(field) == FieldKind::Result) fuzz::CheckResultText(fields.Text(field), symbol);
  const std::string& checks = window.State().CheckMessages;
  if (inhibit && !checks.empty()) fuzz::Fail("check messages with the checks inhibited", checks);
  if (!checks.empty() && fake.boxes.Shown().empty()) fuzz::Fail("failed checks but no box", checks);
  return 0;
}
