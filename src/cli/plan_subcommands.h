#pragma once

#include <CLI/CLI.hpp>

#include <memory>
#include <string>

#include "cli/cli_context.h"
#include "plan/plan_check.h"

namespace wb {

// The plan file and the options that decide whether it is taken, for every
// plan command; and --confirm, for those that wait for beacons.
void addPlanInput(CLI::App& command, std::string& planPath, PlanCheckOptions& check);
void addConfirmFlag(CLI::App& command, bool& confirm);

// What a command that prints a plan takes: the plan, its options and
// --json, which `jsonHelp` describes.
struct PlanPrintOptions {
    std::string planPath;
    PlanCheckOptions check;
    bool json = false;
};
std::shared_ptr<PlanPrintOptions> addPlanPrintInput(CLI::App& command, const std::string& jsonHelp);

// `plan audit` and `plan sheet`, each in its own file, added to `plan`.
void addPlanAuditCommand(CLI::App& plan, CliContext& context);
void addPlanSheetCommand(CLI::App& plan, CliContext& context);
// `plan new` and `plan schedule`: the event's commands.
void addPlanEventCommands(CLI::App& plan, CliContext& context);
// What may spoil the hunt without making the plan wrong, on stderr.
void printPlanWarnings(CliContext& context, const HuntPlan& plan);

}  // namespace wb
