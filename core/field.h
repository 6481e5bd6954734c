// The named parts of the main window that the logic reads and writes. Each name is the name of
// the control on the window; fields are addressed by this enum, never by looking up text.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace tolvarn {

enum class FieldKind { Input, Result, CheckBox, Label, Command, Timer };

// X(name, kind): the order is the enum's order.
#define TOLVARN_FIELDS(X) \
  X(WVCost, Input)        \
  X(SVCost, Input)        \
  X(SVAllow, Input)       \
  X(VRate, Input)         \
  X(AnInfT, Input)        \
  X(PPeriod, Input)       \
  X(Item1Use, Input)      \
  X(Item1UseD, Input)     \
  X(Item1Cost, Input)     \
  X(Item2Use, Input)      \
  X(Item2UseD, Input)     \
  X(Item2Cost, Input)     \
  X(Notes, Input)         \
  X(Item1WCost, Result)   \
  X(Item2WCost, Result)   \
  X(Item1SCost, Result)   \
  X(Item2SCost, Result)   \
  X(Item1Day, Result)     \
  X(Item2Day, Result)     \
  X(Item1Qtr, Result)     \
  X(Item2Qtr, Result)     \
  X(Item1Period, Result)  \
  X(Item2Period, Result)  \
  X(Item1W, Result)       \
  X(Item2W, Result)       \
  X(DaySave, Result)      \
  X(QtrSave, Result)      \
  X(PeriodSave, Result)   \
  X(PeriodWater, Result)  \
  X(VolUnits1, CheckBox)  \
  X(AutoSave, CheckBox)   \
  X(OnTop, CheckBox)      \
  X(Status, Label)        \
  X(VRateH, Label)        \
  X(Item1UseL, Label)     \
  X(Item2UseL, Label)     \
  X(Item1WatL, Label)     \
  X(Item2WatL, Label)     \
  X(ItemWatS, Label)      \
  X(WVChargeL, Label)     \
  X(SVChargeL, Label)     \
  X(Save, Command)        \
  X(Timer1, Timer)

enum class Field {
#define TOLVARN_FIELD_ENUM(name, kind) name,
  TOLVARN_FIELDS(TOLVARN_FIELD_ENUM)
#undef TOLVARN_FIELD_ENUM
};

inline constexpr size_t kFieldCount = 0
#define TOLVARN_FIELD_COUNT(name, kind) +1
    TOLVARN_FIELDS(TOLVARN_FIELD_COUNT)
#undef TOLVARN_FIELD_COUNT
    ;

std::string_view FieldName(Field field);
FieldKind KindOf(Field field);
std::optional<Field> FieldFromName(std::string_view name);
const std::array<Field, kFieldCount>& AllFields();

// Money fields in the order in which the currency symbol is removed and added.
inline constexpr std::array<Field, 17> kMoneyFields = {
    Field::WVCost,     Field::SVCost,     Field::Item1Cost,   Field::Item2Cost,   Field::Item1SCost,
    Field::Item2SCost, Field::Item1WCost, Field::Item2WCost,  Field::Item1Day,    Field::Item2Day,
    Field::Item1Qtr,   Field::Item2Qtr,   Field::Item1Period, Field::Item2Period, Field::DaySave,
    Field::QtrSave,    Field::PeriodSave};

// The four comparison results.
inline constexpr std::array<Field, 4> kComparisonFields = {Field::DaySave, Field::QtrSave,
                                                           Field::PeriodSave, Field::PeriodWater};

// Colours of result text.
struct Rgb {
  int r = 0;
  int g = 0;
  int b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kOrange{255, 128, 0};

}  // namespace tolvarn
