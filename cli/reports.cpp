// What tolvarn-calc prints besides the record: its JSON reports and the household table.
#include "cli/reports.h"

#include <cstddef>

#include "core/number_text.h"
#include "core/utf8.h"
#include "shell/payback_panel.h"

namespace tolvarn::cli {

namespace {

// `text` padded with blanks to `width` characters, on the left when `right`.
std::string Padded(std::string_view text, size_t width, bool right) {
  const size_t length = tolvarn::utf8::Length(text);
  const std::string blanks(length < width ? width - length : 0, ' ');
  return right ? blanks + std::string(text) : std::string(text) + blanks;
}

}  // namespace

nlohmann::ordered_json Report(const tolvarn::TolvarnMain& window,
                              const tolvarn::MemoryFieldStore& fields) {
  using nlohmann::ordered_json;
  ordered_json fields_json = ordered_json::object();
  ordered_json colours = ordered_json::object();
  for (const Field field : tolvarn::AllFields()) {
    const auto kind = tolvarn::KindOf(field);
    const std::string name(tolvarn::FieldName(field));
    if (kind == tolvarn::FieldKind::Input || kind == tolvarn::FieldKind::Result)
      fields_json[name] = fields.Text(field);
    if (kind == tolvarn::FieldKind::Result) {
      const tolvarn::Rgb c = fields.Colour(field);
      colours[name] = {c.r, c.g, c.b};
    }
  }
  ordered_json captions = ordered_json::object();
  for (const Field field :
       {Field::Status, Field::VRateH, Field::Item1UseL, Field::Item2UseL, Field::Item1WatL,
        Field::Item2WatL, Field::ItemWatS, Field::WVChargeL, Field::SVChargeL})
    captions[std::string(tolvarn::FieldName(field))] = fields.Caption(field);
  ordered_json tooltips = ordered_json::object();
  for (const Field field : {Field::WVCost, Field::SVCost, Field::VRate, Field::Item1Use,
                            Field::Item2Use, Field::Item1W, Field::Item2W})
    tooltips[std::string(tolvarn::FieldName(field))] = fields.ToolTip(field);

  const tolvarn::WindowState& s = window.State();
  // 32-bit values are written as the doubles they convert to exactly.
  const auto single = [](float value) { return static_cast<double>(value); };
  ordered_json state = {
      {"ErrorLocation", s.ErrorLocation},
      {"CheckMessages", s.CheckMessages},
      {"InhibitErrorCheck", s.InhibitErrorCheck},
      {"Item1Empty", s.Item1Empty},
      {"Item2Empty", s.Item2Empty},
      {"InflationFactor", single(s.InflationFactor)},
      {"InflationSum", single(s.InflationSum)},
      {"Item1DayWater", s.Item1DayWater},
      {"Item2DayWater", single(s.Item2DayWater)},
      {"DayWaterDiff", single(s.DayWaterDiff)},
      {"Item1QtrWater", single(s.Item1QtrWater)},
      {"Item2QtrWater", single(s.Item2QtrWater)},
      {"QtrWaterDiff", single(s.QtrWaterDiff)},
      {"CostSaveLabel", s.CostSaveLabel},
      {"WaterSaveLabel", s.WaterSaveLabel},
      {"CurrencySymbol", s.CurrencySymbol},
      {"RecordText", s.RecordText},
      {"RecordBody", s.RecordBody},
      {"LastRecordKey", s.LastRecordKey},
      {"LogLevel", s.LogLevel},
      {"RunOnTop", s.RunOnTop},
      {"VUnits", s.VUnits},
      {"AnInf", s.AnInf},
      {"ConfigText", s.ConfigText},
      {"ChargeUnitText", s.ChargeUnitText},
      {"UnitAbbrev", s.UnitAbbrev},
      {"UnitWord", s.UnitWord},
  };
  ordered_json messages = ordered_json::array();
  std::string_view rest = s.CheckMessages;
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    messages.push_back(std::string(rest.substr(0, end)));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  return {{"fields", fields_json},
          {"colours", colours},
          {"captions", captions},
          {"tooltips", tooltips},
          {"enabled",
           {{"Save", fields.IsEnabled(Field::Save)}, {"Timer1", fields.IsEnabled(Field::Timer1)}}},
          {"state", state},
          {"checkMessages", messages},
          {"record", s.RecordBody}};
}

nlohmann::ordered_json PaybackJson(const tolvarn::PaybackInputs& inputs,
                                   const tolvarn::PaybackResult& result) {
  using nlohmann::ordered_json;
  const tolvarn::PaybackSettings& s = inputs.settings;
  const auto item = [&](size_t k) {
    return ordered_json{{"OwnEnergy", inputs.items[k].OwnEnergy},
                        {"HotShare", inputs.items[k].HotShare}};
  };
  ordered_json years = ordered_json::array();
  for (const tolvarn::PaybackYear& y : result.years)
    years.push_back({{"year", y.year},
                     {"item1", y.cost[0]},
                     {"item2", y.cost[1]},
                     {"difference", y.difference},
                     {"item1Water", y.water[0]},
                     {"item2Water", y.water[1]},
                     {"item1Energy", y.energy[0]},
                     {"item2Energy", y.energy[1]},
                     {"item1Co2", y.co2[0]},
                     {"item2Co2", y.co2[1]}});
  ordered_json break_even = nullptr;
  if (result.breakEven)
    break_even = {{"item", result.breakEven->item}, {"years", result.breakEven->years}};
  return {{"inputs",
           {{"Horizon", s.Horizon},
            {"Discount", s.Discount},
            {"EnergyPrice", s.EnergyPrice},
            {"HeaterEfficiency", s.HeaterEfficiency},
            {"TemperatureRise", s.TemperatureRise},
            {"USGallons", s.USGallons},
            {"Co2PerKWh", s.Co2PerKWh},
            {"Co2PerCubicMetre", s.Co2PerCubicMetre},
            {"Metered", s.Metered},
            {"OwnEnergyPrice", s.OwnEnergyPrice ? ordered_json(*s.OwnEnergyPrice) : nullptr},
            {"item1", item(0)},
            {"item2", item(1)}}},
          {"years", years},
          {"breakEven", break_even},
          {"headline", result.headline}};
}

nlohmann::ordered_json HouseholdJson(const tolvarn::Household& household,
                                     const tolvarn::HouseholdFigures& figures) {
  using nlohmann::ordered_json;
  const auto maybe = [](const std::optional<double>& value) {
    return value ? ordered_json(*value) : ordered_json(nullptr);
  };
  ordered_json fittings = ordered_json::array();
  for (size_t i = 0; i < household.fittings.size(); ++i) {
    const tolvarn::Fitting& fitting = household.fittings[i];
    const tolvarn::FittingFigures& f = figures.fittings[i];
    fittings.push_back({{"index", i + 1},
                        {"name", fitting.Name},
                        {"kind", std::string(tolvarn::KindInfo(fitting.Kind).name)},
                        {"litresPerDay", f.litresPerDay},
                        {"ownKWhPerDay", f.ownKWhPerDay},
                        {"heaterKWhPerDay", f.heaterKWhPerDay},
                        {"hotShare", 100 * f.hotShare},
                        {"costPerDay", maybe(f.costPerDay)}});
  }
  return {{"people", household.settings.People},
          {"coldSupply", household.settings.ColdSupply},
          {"fittings", fittings},
          {"litresPerDay", figures.litresPerDay},
          {"litresPerPersonPerDay", figures.litresPerPersonPerDay},
          {"bill",
           {{"meteredPerYear", maybe(figures.meteredPerYear)},
            {"unmeteredPerYear", maybe(figures.unmeteredPerYear)},
            {"breakEvenLitresPerDay", maybe(figures.breakEvenLitresPerDay)},
            {"headline", figures.headline}}}};
}

std::string HouseholdTable(const tolvarn::Household& household,
                           const tolvarn::HouseholdFigures& figures, std::string_view currency) {
  using tolvarn::FormatFixed;
  const tolvarn::HouseholdSettings& s = household.settings;
  std::string table = "Household: " + std::to_string(s.People) +
                      (s.People == 1 ? " person" : " people") + ", cold supply " +
                      tolvarn::TextOf(s.ColdSupply) + " \u00B0C\r\n";
  table += " # " + Padded("Fitting", tolvarn::kMaxFittingNameLength, false) +
           " litres/day kWh/day cost/day\r\n";
  bool costs = true;
  for (size_t i = 0; i < household.fittings.size(); ++i) {
    const tolvarn::FittingFigures& f = figures.fittings[i];
    const std::string cost = f.costPerDay ? tolvarn::MoneyText(*f.costPerDay, currency) : "-";
    costs = costs && f.costPerDay;
    table += Padded(std::to_string(i + 1), 2, true) + " " +
             Padded(household.fittings[i].Name, tolvarn::kMaxFittingNameLength, false) + " " +
             Padded(FormatFixed(f.litresPerDay, 1), 10, true) + " " +
             Padded(FormatFixed(f.ownKWhPerDay + f.heaterKWhPerDay, 3), 7, true) + " " +
             Padded(cost, 8, true) + "\r\n";
  }
  table += "Total: " + FormatFixed(figures.litresPerDay, 1) + " litres a day, " +
           FormatFixed(figures.litresPerPersonPerDay, 1) + " a person (GB average " +
           tolvarn::TextOf(tolvarn::kAverageLitresPerPersonPerDay) + ")\r\n";
  if (!costs || !figures.meteredPerYear)
    table += "No costs: they need a tariff that passes the data checks.\r\n";
  if (figures.meteredPerYear)
    table +=
        "Metered bill: " + tolvarn::MoneyText(*figures.meteredPerYear, currency) + " a year\r\n";
  if (figures.unmeteredPerYear)
    table += "Unmetered bill: " + tolvarn::MoneyText(*figures.unmeteredPerYear, currency) +
             " a year\r\n";
  if (figures.breakEvenLitresPerDay)
    table += "A meter breaks even at " + FormatFixed(*figures.breakEvenLitresPerDay, 1) +
             " litres a day.\r\n";
  if (!figures.headline.empty()) table += figures.headline + "\r\n";
  return table;
}

std::string FatalJson(const std::optional<MessageBoxRequest>& box,
                      const std::optional<TolvarnMain::FatalReport>& report) {
  nlohmann::ordered_json fatal = nlohmann::ordered_json::object();
  if (box) {
    fatal["title"] = box->title;
    fatal["text"] = box->text;
  }
  if (report) {
    fatal["operation"] = report->operation;
    fatal["location"] = report->location;
  }
  return Dump({{"fatal", fatal}}) + '\n';
}

std::string Dump(const nlohmann::ordered_json& json) {
  // Field texts are whatever the user typed: never let invalid UTF-8 stop the report.
  return json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace tolvarn::cli
