// What tolvarn-calc prints besides the record: its JSON reports and the household table.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "core/household.h"
#include "core/memory_field_store.h"
#include "core/payback.h"
#include "platform/message_box.h"
#include "shell/tolvarn_main.h"

namespace tolvarn::cli {

// Everything the window would show after the command, as --json prints it.
nlohmann::ordered_json Report(const TolvarnMain& window, const MemoryFieldStore& fields);
nlohmann::ordered_json PaybackJson(const PaybackInputs& inputs, const PaybackResult& result);
// The household: every figure in full precision, money null without a tariff.
nlohmann::ordered_json HouseholdJson(const Household& household, const HouseholdFigures& figures);
// The household as a short table, with the record's line ends.
std::string HouseholdTable(const Household& household, const HouseholdFigures& figures,
                           std::string_view currency);

// The fatal box (and the report of the fatal error, when the window made one), as --json
// prints it, with its line end.
std::string FatalJson(const std::optional<MessageBoxRequest>& box,
                      const std::optional<TolvarnMain::FatalReport>& report);
// The report as printed.
std::string Dump(const nlohmann::ordered_json& json);

}  // namespace tolvarn::cli
