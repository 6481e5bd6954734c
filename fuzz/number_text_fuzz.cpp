// The number rules on any text and double: every written text is a whole number that reads back
// to itself; the strict reading agrees with IsNumericText and, where it accepts, the lenient one.
#include <cmath>
#include <cstring>

#include "core/runtime_failure.h"
#include "fuzz/fuzz_support.h"

namespace tolvarn::fuzz {
namespace {

template <class Write>
bool Fails(Write write) {
  try {
    write();
    return false;
  } catch (const RunTimeFailure&) {
    return true;
  }
}

// A whole number in the strict reading's sense, so never "inf" or "nan".
void CheckWritten(const std::string& text, const char* what) {
  if (!IsNumericText(text)) Fail(what, text);
}

void CheckNumber(double value) {
  // The top of the double range rounds beyond it at 15 digits: writing it fails, as overflow.
  std::string full;
  if (Fails([&] { full = TextOf(value); })) {
    if (std::fabs(value) <= 1.79769313486231e308) Fail("TextOf failed on a writable value", "");
    return;
  }
  if (!std::isfinite(value)) Fail("TextOf wrote a non-finite value", full);
  CheckWritten(full, "TextOf");
  if (TextOf(TextValue(full)) != full) Fail("TextOf does not read back to itself", full);
  NumberText carried;
  const NumberReading reading = CarryInto(value, carried);
  if (carried.view() != full || reading.value != TextValue(full)) Fail("CarryInto", full);
  const auto single = static_cast<float>(value);
  if (std::isfinite(single)) {
    const std::string short_text = TextOf(single);
    CheckWritten(short_text, "TextOf(float)");
    if (TextOf(static_cast<float>(TextValue(short_text))) != short_text)
      Fail("TextOf(float) does not read back to itself", short_text);
    NumberText single_text;
    TextInto(single, single_text);
    if (single_text.view() != short_text) Fail("TextInto differs from TextOf(float)", short_text);
  }
  for (int decimals = 0; decimals <= 4; ++decimals) {
    const std::string fixed = FormatFixed(value, decimals);
    CheckWritten(fixed, "FormatFixed");
    if (fixed.find_first_not_of("-0.") != std::string::npos &&
        FormatFixed(TextValue(fixed), decimals) != fixed)
      Fail("a fixed format does not read back to itself", fixed);
    if (FormatFixed(reading, decimals) != FormatFixed(reading.value, decimals))
      Fail("formatting the carried number", full);
    // The buffer forms write the same text whenever they write one, and decline only results
    // of more than 18 digits.
    NumberText buffer;
    if (FormatFixedInto(value, decimals, buffer) ? buffer.view() != fixed
                                                 : std::fabs(value) < std::pow(10.0, 17 - decimals))
      Fail("FormatFixedInto(double)", fixed);
    if (FormatFixedInto(reading, decimals, buffer) &&
        buffer.view() != FormatFixed(reading, decimals))
      Fail("FormatFixedInto(reading)", full);
  }
}

void CheckText(const std::string& text) {
  const double lenient = TextValue(text);
  const bool numeric = IsNumericText(text);
  double strict = 0;
  const bool accepted = !Fails([&] { strict = StrictTextValue(text); });
  const auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
  if (accepted != numeric) Fail("IsNumericText disagrees with StrictTextValue", text);
  if (accepted && !same(strict, lenient)) Fail("the strict and lenient readings differ", text);
  const NumberReading reading = ReadNumber(text);
  if (reading.numeric != numeric) Fail("ReadNumber's strict answer", text);
  if (!same(reading.value, lenient)) Fail("ReadNumber's value", text);
  if (accepted && std::fabs(strict) > 1.79769313486231e308) return;  // cannot be written
  for (int decimals = 0; decimals <= 4 && numeric; ++decimals)
    if (FormatFixed(reading, decimals) != FormatFixed(strict, decimals))
      Fail("the fixed format of the reading differs from the value's", text);
  CheckNumber(lenient);
}

}  // namespace
}  // namespace tolvarn::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tolvarn::fuzz;
  CheckText(std::string(reinterpret_cast<const char*>(data), size));
  if (size >= sizeof(double)) {
    double bits = 0;
    std::memcpy(&bits, data, sizeof bits);
    CheckNumber(bits);
  }
  return 0;
}
