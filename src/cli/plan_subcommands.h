#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <ostream>
#include <string>

#include "cli/cli_context.h"
#include "plan/hunt_plan.h"
#include "plan/plan_check.h"

namespace wb {

// The plan file and the options that decide whether it is taken, for every
// plan command; and --confirm, for those that wait for beacons.
void addPlanInput(CLI::App& command, std::string& planPath, PlanCheckOptions& check);
void addConfirmFlag(CLI::App& command, bool& confirm);

// A plan command that loads the plan and prints from it, as tables or,
// with --json (which `jsonHelp` describes), one JSON object; the plan's
// warnings come first. `withoutEvent`, when given, is the usage error for a
// plan that has no event ("the plan has none to schedule").
struct PlanPrintCommand {
    const char* name;
    const char* description;
    const char* jsonHelp;
    const char* withoutEvent;
    std::function<void(std::ostream& out, const HuntPlan& plan, bool json)> print;
};
void addPlanPrintCommand(CLI::App& plan, CliContext& context, PlanPrintCommand command);

// `plan audit` and `plan sheet`, each in its own file, added to `plan`.
void addPlanAuditCommand(CLI::App& plan, CliContext& context);
void addPlanSheetCommand(CLI::App& plan, CliContext& context);
// `plan new` and `plan schedule`: the event's commands.
void addPlanEventCommands(CLI::App& plan, CliContext& context);
// What may spoil the hunt without making the plan wrong, on stderr.
void printPlanWarnings(CliContext& context, const HuntPlan& plan);

}  // namespace wb
