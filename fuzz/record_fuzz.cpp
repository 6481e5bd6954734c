// The results record on any field texts and state: one line per piece of its layout, whatever
// the texts hold (line breaks included), and never a crash.
#include <algorithm>

#include "core/memory_field_store.h"
#include "fuzz/fuzz_support.h"
#include "shell/tolvarn_main.h"
#include "tests/support/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tolvarn;
  if (size < 2) return 0;
  std::vector<Field> text_fields;
  for (const Field field : AllFields())
    if (KindOf(field) == FieldKind::Input || KindOf(field) == FieldKind::Result)
      text_fields.push_back(field);
  const auto texts = fuzz::SplitTexts(data + 2, size - 2, text_fields.size());
  MemoryFieldStore fields;
  FakePlatform fake;
  TolvarnMain window(fields, fake.platform());
  window.Start(false, false);
  for (size_t i = 0; i < text_fields.size(); ++i)
    fields.SetText(text_fields[i], texts[i]);
  WindowState& state = window.State();
  state.Item1Empty = data[0] & 1;
  state.Item2Empty = (data[0] >> 1) & 1;
  // The labels are the program's own words, never typed.
  state.WaterSaveLabel = (data[0] & 4) != 0 ? "Water Use Increase" : "Water Use Saving";
  state.CostSaveLabel = (data[0] & 16) != 0 ? "Cost Increase" : "Cost Saving";
  state.Item1DayWater = static_cast<double>(data[1]) * 1.7;
  state.DayWaterDiff = static_cast<float>(data[1]) / 3;
  window.BuildRecord();
  // Lines: notes, dashes, water cost, the optional tariff lines, period, empty line, dashes,
  // item lines, dashes, water lines, dashes, cost lines.
  size_t expected = 8;
  for (const Field field : {Field::SVCost, Field::SVAllow, Field::VRate, Field::AnInfT})
    expected += fields.Text(field).empty() ? 0 : 1;
  const bool item1 = state.Item1Empty == 0;
  const bool item2 = state.Item2Empty == 0;
  expected += 3 * (item1 ? 1 : 0) + 3 * (item2 ? 1 : 0) + 2 * (item1 && item2 ? 1 : 0);
  size_t lines = 0;
  const std::string& body = state.RecordBody;
  for (size_t at = body.find("\r\n"); at != std::string::npos; at = body.find("\r\n", at + 2))
    ++lines;
  if (lines != expected) fuzz::Fail("the record's lines", body);
  if (std::count(body.begin(), body.end(), '\n') != static_cast<long>(lines) ||
      std::count(body.begin(), body.end(), '\r') != static_cast<long>(lines))
    fuzz::Fail("a line break inside a line of the record", body);
  return 0;
}
