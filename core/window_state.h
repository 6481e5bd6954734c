// The values the main window keeps besides its fields, for as long as it lives.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/payback.h"

namespace tolvarn {

// The comparison's meaning, as the record and the screen reader name it.
inline constexpr std::string_view kCostSaving = "Cost Saving";
inline constexpr std::string_view kCostIncrease = "Cost Increase";
inline constexpr std::string_view kWaterSaving = "Water Use Saving";
inline constexpr std::string_view kWaterIncrease = "Water Use Increase";

struct WindowState {
  int16_t ErrorLocation = 0;  // step now running, reported by a fatal error
  std::string CheckMessages;  // failed data checks, each ended by a line feed
  int16_t InhibitErrorCheck = 0;
  int16_t Item1Empty = 0;  // 1: the item holds no data and takes no part
  int16_t Item2Empty = 0;

  float InflationFactor = 0;  // (1 + inflation)^N
  float InflationSum = 0;     // sum of (1 + inflation)^i for i = 1 .. N
  double Item1DayWater = 0;
  float Item2DayWater = 0;
  float DayWaterDiff = 0;
  float Item1QtrWater = 0;
  float Item2QtrWater = 0;
  float QtrWaterDiff = 0;
  // What the last Calculate read when it compared both items, for the payback comparison;
  // empty after any other outcome and after Clear.
  std::optional<CalculatedInputs> LastComparison;
  std::string CostSaveLabel{kCostSaving};
  std::string WaterSaveLabel{kWaterSaving};
  void ResetSavingLabels() {
    CostSaveLabel = kCostSaving;
    WaterSaveLabel = kWaterSaving;
  }

  std::string CurrencySymbol;  // one character
  std::string RecordText;      // date line and RecordBody, as appended to the log
  std::string RecordBody;      // the record without its date line
  std::string LastRecordKey;   // previous RecordBody and CurrencySymbol

  // Configuration values, as last read from or worked out for the configuration file.
  int16_t LogLevel = 0;    // 1: Auto Save unticked, 2: ticked
  int16_t RunOnTop = 0;    // 1: normal, 2: on top
  int16_t VUnits = 0;      // 1: litres, 2: gallons
  std::string AnInf;       // the inflation in the file's units (percent plus 31)
  std::string ConfigText;  // what the last reading read, for the error dump

  // Unit texts, set by the volume units switch.
  std::string ChargeUnitText;  // "per Cubic Metre" or "per 1000 Gallons"
  std::string UnitAbbrev;      // "Ltr" or "Gal"
  std::string UnitWord;        // "litres" or "gallons"
};

}  // namespace tolvarn
