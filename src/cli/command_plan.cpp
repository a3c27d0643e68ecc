#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/cli_commands.h"
#include "cli/plan_loading.h"
#include "cli/plan_session.h"
#include "cli/record_source.h"
#include "cli/plan_subcommands.h"
#include "config/record_fields.h"
#include "config/record_json.h"
#include "cli/record_table.h"
#include "cli/usage_error.h"
#include "plan/schedule_text.h"
#include "util/sha256.h"
#include "util/shown_text.h"

namespace wb {
void addPlanInput(CLI::App& command, std::string& planPath, PlanCheckOptions& check) {
    command.add_option("plan", planPath, "The plan, a JSON file")->required();
    addNoLimitFlag(command, check.noLimit);
    command.add_flag("--allow-same-text", check.allowSameText,
                     "Let two beacons store the same Morse text");
}

void addPlanPrintCommand(CLI::App& plan, CliContext& context, PlanPrintCommand declared) {
    struct Options {
        std::string planPath;
        PlanCheckOptions check;
        bool json = false;
    };
    auto* command = plan.add_subcommand(declared.name, declared.description);
    auto options = std::make_shared<Options>();
    addPlanInput(*command, options->planPath, options->check);
    command->add_flag("--json", options->json, declared.jsonHelp);
    command->callback([&context, options, declared] {
        const HuntPlan loaded = loadHuntPlan(options->planPath, options->check);
        if (declared.withoutEvent != nullptr && !loaded.event) {
            throw UsageError(options->planPath + ": event: " + declared.withoutEvent);
        }
        printPlanWarnings(context, loaded);
        declared.print(context.out, loaded, options->json);
        context.exitCode = kExitOk;
    });
}

void addConfirmFlag(CLI::App& command, bool& confirm) {
    command.add_flag("--confirm", confirm, "Wait for Enter before each beacon instead of detecting it");
}

namespace {

// What each beacon of the plan will store, after its layout's coarsening.
void printPlan(std::ostream& out, const HuntPlan& plan, bool json) {
    if (json) {
        nlohmann::ordered_json doc;
        doc["model"] = std::string(modelName(plan.model));
        doc["beacons"] = nlohmann::ordered_json::array();
        for (const PlanEntry& entry : plan.entries) {
            nlohmann::ordered_json beacon;
            beacon["name"] = entry.name;
            beacon["sha256"] = sha256Hex(entry.image);
            beacon["record"] = recordToJson(entry.stored);
            doc["beacons"].push_back(std::move(beacon));
        }
        if (plan.event) doc["schedule"] = scheduleJson(plan)["beacons"];
        out << doc.dump(2) << '\n';
        return;
    }
    for (std::size_t i = 0; i < plan.entries.size(); ++i) {
        const PlanEntry& entry = plan.entries[i];
        if (i != 0) out << '\n';
        out << "Beacon " << shownText(entry.name) << " (" << i + 1 << " of " << plan.entries.size() << ")\n"
            << shownText(recordTable(entry.stored), true);
    }
    if (plan.event) out << "\nSchedule\n" << scheduleTable(plan);
}

void addRun(CLI::App& parent, CliContext& context) {
    auto* command = parent.add_subcommand(
        "run", "Program the plan's beacons one after another through one port");
    auto options = std::make_shared<PlanRunCommandOptions>();
    addPlanInput(*command, options->planPath, options->check);
    addDeviceOptions(*command, options->device);
    command->add_option("--report", options->reportPath,
                        "Write one CSV row per attempt to this file");
    command->add_option("--backup-dir", options->backupDir,
                        "Folder for each beacon's image before the write (default: beside the "
                        "report, or plan-backups)");
    addConfirmFlag(*command, options->confirm);
    command->callback([&context, options] {
        const HuntPlan plan = loadHuntPlan(options->planPath, options->check,
                                           {{"--report", options->reportPath},
                                            {"--backup-dir", options->backupDir},
                                            {"--trace", options->device.tracePath}});
        context.exitCode = runHuntPlan(context, *options, plan);
    });
}

}  // namespace

void addPlanCommand(CLI::App& app, CliContext& context) {
    auto* plan = app.add_subcommand("plan", "Hunt plans: several beacons programmed in a row");
    plan->require_subcommand(1);
    addPlanPrintCommand(*plan, context,
                        {"check", "Check a hunt plan and print what each of its beacons will store",
                         "Print one JSON object instead of the tables", nullptr, printPlan});
    addRun(*plan, context);
    addPlanAuditCommand(*plan, context);
    addPlanSheetCommand(*plan, context);
    addPlanEventCommands(*plan, context);
}

}  // namespace wb
