#include "shell/household_panel.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/number_text.h"
#include "core/text.h"
#include "files/household_file.h"
#include "files/payback_settings.h"
#include "shell/household_compare.h"

namespace tolvarn {
namespace {

double ValueOf(std::string_view text) {
  return IsNumericText(text) ? StrictTextValue(text) : std::numeric_limits<double>::quiet_NaN();
}

// The settings' texts as the window shows them, in HouseholdInput order.
std::array<std::string, kHouseholdInputCount> SettingTexts(const HouseholdSettings& s) {
  return {std::to_string(s.People), TextOf(s.ColdSupply), TextOf(s.UnmeteredBill),
          TextOf(s.StandingCharges)};
}

// "Mixer shower" for a message, or "Fitting 3" for a fitting without a name.
std::string Called(const std::string& name, std::string_view otherwise) {
  return name.empty() ? std::string(otherwise) : name;
}

}  // namespace

FittingRow RowOf(const Fitting& fitting) {
  FittingRow row;
  row.name = fitting.Name;
  row.kind = fitting.Kind;
  const size_t count = KindInfo(fitting.Kind).parameterCount;
  for (size_t p = 0; p < count; ++p)
    row.texts[p] = TextOf(fitting.values[p]);
  return row;
}

Fitting FittingOf(const FittingRow& row) {
  Fitting fitting;
  fitting.Name = row.name;
  fitting.Kind = row.kind;
  const size_t count = KindInfo(row.kind).parameterCount;
  for (size_t p = 0; p < count; ++p)
    fitting.values[p] = ValueOf(row.texts[p]);
  return fitting;
}

HouseholdPanel::HouseholdPanel(TolvarnMain& main, FileSystem& files, MessageBoxes& boxes)
    : main_(main), files_(files), boxes_(boxes), setting_texts_(SettingTexts({})) {}

void HouseholdPanel::Open() {
  if (opened_) return;
  opened_ = true;
  file_payback_ = ReadPaybackSettings(files_).settings;  // its problems are the Payback window's
  HouseholdReading reading = ReadHousehold(files_);
  status_ = JoinLines(reading.problems);
  Household household = reading.household;
  if (reading.found) {
    saved_ = reading.household;
  } else if (boxes_.Show({"Tolvarn Household", std::string(kTypicalHouseholdQuestion),
                          BoxIcon::None, BoxButtons::YesNo}) == BoxAnswer::Yes) {
    // Either answer is kept on closing (saved_ stays none), so the question comes only once.
    household = TypicalHousehold();
  }
  setting_texts_ = SettingTexts(household.settings);
  rows_.clear();
  for (const Fitting& fitting : household.fittings)
    rows_.push_back(RowOf(fitting));
  household_ = household;
  if (!rows_.empty()) SetCompareFitting(0);
  Follow();
  WorkOut();
}

void HouseholdPanel::SetSettingText(HouseholdInput input, std::string_view text) {
  std::string& held = setting_texts_[static_cast<size_t>(input)];
  if (held == text) return;
  held = text;
  WorkOut();
}

bool HouseholdPanel::AddPreset(size_t preset) {
  if (rows_.size() >= kMaxFittings || preset >= FittingPresets().size()) return false;
  rows_.push_back(RowOf(FromPreset(FittingPresets()[preset])));
  WorkOut();
  return true;
}

void HouseholdPanel::SetName(size_t index, std::string_view name) {
  if (index >= rows_.size() || rows_[index].name == name) return;
  rows_[index].name = name;
  WorkOut();
}

void HouseholdPanel::SetKind(size_t index, FittingKind kind) {
  if (index >= rows_.size() || rows_[index].kind == kind) return;
  FittingRow row = RowOf(DefaultFitting(kind, rows_[index].name));
  rows_[index] = std::move(row);
  WorkOut();
}

void HouseholdPanel::SetValueText(size_t index, size_t parameter, std::string_view text) {
  if (index >= rows_.size() || parameter >= KindInfo(rows_[index].kind).parameterCount) return;
  if (rows_[index].texts[parameter] == text) return;
  rows_[index].texts[parameter] = text;
  WorkOut();
}

void HouseholdPanel::Remove(size_t index) {
  if (index >= rows_.size()) return;
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
  // The fitting chosen to compare keeps its place in the list; when it goes, the next one is
  // chosen, with a fresh copy of it as the replacement.
  if (compare_fitting_ > index) {
    --compare_fitting_;
  } else if (compare_fitting_ == index && !rows_.empty()) {
    compare_fitting_ = std::min(index, rows_.size() - 1);
    replacement_ = rows_[compare_fitting_];
  }
  WorkOut();
}

bool HouseholdPanel::MoveUp(size_t index) {
  if (index == 0 || index >= rows_.size()) return false;
  std::swap(rows_[index - 1], rows_[index]);
  if (compare_fitting_ == index)
    --compare_fitting_;
  else if (compare_fitting_ == index - 1)
    ++compare_fitting_;
  WorkOut();
  return true;
}

bool HouseholdPanel::MoveDown(size_t index) {
  return MoveUp(index + 1);
}

PaybackSettings HouseholdPanel::CurrentPaybackSettings() const {
  if (payback_ != nullptr && payback_->Opened()) {
    // The settings as the Payback window holds them, when they pass; the items' values, which
    // the household does not use, are left out of the check.
    std::array<std::string, kPaybackInputCount> texts;
    for (const PaybackInputInfo& info : PaybackInputTable())
      texts[static_cast<size_t>(info.input)] =
          info.input >= PaybackInput::Item1OwnEnergy ? "0" : payback_->Text(info.input);
    PaybackInputs inputs;
    inputs.settings.USGallons = payback_->USGallons();
    inputs.settings.Metered = payback_->Metered();
    if (CheckPaybackInputs(texts, inputs).empty()) return inputs.settings;
  }
  return file_payback_.value_or(PaybackSettings{});
}

bool HouseholdPanel::Follow() {
  TariffReading reading = main_.ReadTariffNow();
  const PaybackSettings settings = CurrentPaybackSettings();
  const std::string& currency = main_.State().CurrencySymbol;
  const bool gallons = main_.Fields().CheckValue(Field::VolUnits1) == 1;
  if (reading.tariff == tariff_ && reading.messages == tariff_messages_ &&
      settings == payback_settings_ && currency == currency_ && gallons == tariff_gallons_)
    return false;
  tariff_ = reading.tariff;
  tariff_messages_ = std::move(reading.messages);
  payback_settings_ = settings;
  currency_ = currency;
  tariff_gallons_ = gallons;
  WorkOut();
  return true;
}

void HouseholdPanel::WorkOut() {
  if (!opened_) return;
  Household candidate;
  const double people = ValueOf(setting_texts_[0]);
  // A number that is not a whole one from 1 to 20 becomes 0, which the check refuses in the
  // same words.
  candidate.settings.People =
      people >= 1 && people <= 20 && people == std::floor(people) ? static_cast<int>(people) : 0;
  candidate.settings.ColdSupply = ValueOf(setting_texts_[1]);
  candidate.settings.UnmeteredBill = ValueOf(setting_texts_[2]);
  candidate.settings.StandingCharges = ValueOf(setting_texts_[3]);
  candidate.fittings.reserve(rows_.size());
  for (const FittingRow& row : rows_)
    candidate.fittings.push_back(FittingOf(row));
  messages_ = CheckHousehold(candidate);
  figures_.reset();
  money_notice_.clear();
  if (!messages_.empty()) return;
  household_ = std::move(candidate);
  figures_ = WorkOutHousehold(household_, payback_settings_, tariff_, currency_);
  if (!tariff_)
    money_notice_ =
        "Costs are shown once the water data pass their checks:\n" + JoinLines(tariff_messages_);
}

HouseholdPanel::RowTexts HouseholdPanel::FigureTexts(size_t index) const {
  RowTexts texts;
  if (!figures_ || index >= figures_->fittings.size()) return texts;
  const FittingFigures& f = figures_->fittings[index];
  texts.litres = FormatFixed(f.litresPerDay, 1);
  texts.kWh = FormatFixed(f.ownKWhPerDay + f.heaterKWhPerDay, 3);
  if (f.costPerDay) texts.cost = currency_ + FormatFixed(*f.costPerDay, 3);
  return texts;
}

std::string HouseholdPanel::TotalText() const {
  if (!figures_) return {};
  std::string text = FormatFixed(figures_->litresPerDay, 1) + " litres a day";
  if (tariff_gallons_) {
    const double gallon = LitresPerGallon(payback_settings_.USGallons);
    text += " (" + FormatFixed(figures_->litresPerDay / gallon, 1) +
            (payback_settings_.USGallons ? " US gallons)" : " gallons)");
  }
  return text;
}

std::string HouseholdPanel::PerPersonText() const {
  if (!figures_) return {};
  return FormatFixed(figures_->litresPerPersonPerDay, 1) + " litres a person a day";
}

std::string HouseholdPanel::AverageText() const {
  return "GB average " + TextOf(kAverageLitresPerPersonPerDay);
}

std::string HouseholdPanel::MeterText() const {
  if (!figures_) return {};
  std::vector<std::string> lines;
  if (!figures_->headline.empty()) lines.push_back(figures_->headline);
  if (figures_->meteredPerYear)
    lines.push_back("With a meter the water and sewerage would cost " +
                    MoneyText(*figures_->meteredPerYear, currency_) + " a year.");
  if (figures_->breakEvenLitresPerDay)
    lines.push_back("A meter costs the same at " +
                    FormatFixed(*figures_->breakEvenLitresPerDay, 1) + " litres a day.");
  if (figures_->meteredPerYear && !figures_->unmeteredPerYear)
    lines.push_back("Enter the unmetered bill to see whether a meter would pay.");
  return JoinLines(lines);
}

std::string HouseholdPanel::Status() const {
  if (status_.empty()) return note_;
  if (note_.empty()) return status_;
  return status_ + "\n" + note_;
}

void HouseholdPanel::SetCompareFitting(size_t index) {
  if (index >= rows_.size()) return;
  compare_fitting_ = index;
  replacement_ = rows_[index];
}

void HouseholdPanel::SetReplacementPreset(size_t preset) {
  if (preset >= FittingPresets().size()) return;
  replacement_ = RowOf(FromPreset(FittingPresets()[preset]));
}

void HouseholdPanel::SetReplacementKind(FittingKind kind) {
  if (replacement_.kind != kind) replacement_ = RowOf(DefaultFitting(kind, replacement_.name));
}

void HouseholdPanel::SetReplacementText(size_t parameter, std::string_view text) {
  if (parameter < KindInfo(replacement_.kind).parameterCount) replacement_.texts[parameter] = text;
}

std::vector<std::string> HouseholdPanel::Compare(PaybackPanel& payback,
                                                 const std::function<void()>& calculate) {
  if (!messages_.empty()) return messages_;
  if (compare_fitting_ >= household_.fittings.size()) return {"Add a fitting to compare first."};
  const Fitting& fitting = household_.fittings[compare_fitting_];
  const Household pair{household_.settings, {fitting, FittingOf(replacement_)}};
  std::vector<std::string> problems = CheckHousehold(pair);
  // Only the replacement can fail: the fitting passed with the household.
  for (std::string& problem : problems)
    if (problem.starts_with("Fitting 2")) problem.replace(0, 9, "Replacement");
  if (!problems.empty()) return problems;

  const PaybackSettings& settings = payback_settings_;
  const HouseholdFigures figures = WorkOutHousehold(pair, settings, std::nullopt, currency_);
  const std::string names[2] = {
      Called(fitting.Name, "Fitting " + std::to_string(compare_fitting_ + 1)),
      replacement_.name.empty() ? std::string("Replacement")
                                : "Replacement (" + replacement_.name + ")"};
  std::array<ComparedFitting, 2> compared;
  for (size_t k = 0; k < 2; ++k) {
    const std::optional<ComparedFitting> one =
        CompareFitting(figures.fittings[k], tariff_gallons_, settings.USGallons);
    if (!one)
      problems.push_back(names[k] + " cannot be compared: it uses less than 1.0 a day.");
    else if (!FitsOneItem(*one))
      problems.push_back(names[k] + " cannot be compared: it " + std::string(kTooMuchForOneItem) +
                         ".");
    else
      compared[k] = *one;
  }
  if (!problems.empty()) return problems;

  for (int item = 1; item <= 2; ++item) {
    const ComparedFitting& one = compared[static_cast<size_t>(item - 1)];
    PutFittingIntoItem(main_.Fields(), item, one, item == 1 ? "" : replacement_cost_);
    const std::array<std::string, 2> texts = PaybackItemTexts(one);
    payback.SetText(item == 1 ? PaybackInput::Item1OwnEnergy : PaybackInput::Item2OwnEnergy,
                    texts[0]);
    payback.SetText(item == 1 ? PaybackInput::Item1HotShare : PaybackInput::Item2HotShare,
                    texts[1]);
  }
  calculate();
  return {};
}

bool HouseholdPanel::Close() {
  if (!opened_) return false;
  // What fails its checks is not kept: the last household that passed is.
  note_ = messages_.empty() ? std::string() : "Not saved: " + messages_.front();
  if (saved_ && HouseholdText(*saved_) == HouseholdText(household_)) return false;
  if (!WriteHousehold(files_, household_).ok()) {
    boxes_.Show({"Tolvarn Household File Error",
                 "Unable to write to the household file\r\n" + std::string(kHouseholdPath) +
                     "\r\nThe household has not been saved.",
                 BoxIcon::Exclamation, BoxButtons::Ok});
    return false;
  }
  saved_ = household_;
  status_.clear();
  return true;
}

}  // namespace tolvarn
