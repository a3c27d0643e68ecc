#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>

#include <nlohmann/json.hpp>

#include "cli/cli_commands.h"
#include "cli/plan_loading.h"
#include "cli/plan_subcommands.h"
#include "cli/usage_error.h"
#include "image/model_table.h"
#include "plan/event_formats.h"
#include "plan/schedule_text.h"
#include "util/shown_text.h"

namespace wb {
namespace {

struct NewOptions {
    std::string format;
    std::string start;
    std::string end;
    std::string switchOnFrom;
    std::string model = "tarsel";
    NewEventPlan request;
    std::string outputPath;
};

int writeNewPlan(CliContext& context, NewOptions& options) {
    NewEventPlan& request = options.request;
    request.format = options.format == "sprint" ? EventFormat::Sprint : EventFormat::Classic;
    request.model = identifiedModelFromName(options.model).value_or(DeviceModel::None);
    request.start = options.start;
    if (!options.end.empty()) request.end = options.end;
    if (!options.switchOnFrom.empty()) request.switchOnFrom = options.switchOnFrom;
    std::string text;
    static const std::string kTimeOptions[3] = {"--start", "--end", "--switch-on-from"};
    requireInput(newEventPlanText(request, text, kTimeOptions));

    // A plan is the user's own work once written: never replaced.
    std::error_code ec;
    if (std::filesystem::symlink_status(options.outputPath, ec).type() != std::filesystem::file_type::not_found) {
        throw UsageError("-o: " + options.outputPath + " already exists; name a new file");
    }
    std::ofstream out(options.outputPath, std::ios::out | std::ios::binary);
    out << text;
    out.close();
    if (!out) {
        context.err << "Could not write the plan " << options.outputPath << '\n';
        return kExitFailed;
    }
    return kExitOk;
}

void addNew(CLI::App& parent, CliContext& context) {
    auto* command = parent.add_subcommand(
        "new", "Write a plan laid out for a classic or Sprint event, for you to edit");
    auto options = std::make_shared<NewOptions>();
    command->add_option("format", options->format, "classic or sprint")
        ->required()
        ->check(CLI::IsMember({"classic", "sprint"}));
    command->add_option("--start", options->start, "When slot 0 of the first cycle begins (2027-05-16T09:00:00+02:00)")
        ->required();
    command->add_option("--end", options->end, "When the beacons may stop");
    command->add_option("--switch-on-from", options->switchOnFrom, "The earliest the beacons will be switched on");
    command->add_option("--model", options->model, "tarsel or basic (default tarsel)")
        ->check(CLI::IsMember({"tarsel", "basic"}));
    command->add_option("--fox-mhz", options->request.foxMHz, "The foxes' frequency (Sprint: the slow foxes')");
    command->add_option("--fast-mhz", options->request.fastMHz, "Sprint: the fast foxes' frequency");
    command->add_option("--spectator-mhz", options->request.spectatorMHz, "Sprint: the spectator beacon's frequency");
    command->add_option("--beacon-mhz", options->request.beaconMHz, "The finish beacon's frequency");
    command->add_option("-o,--output", options->outputPath, "The plan file to write (never replaced)")->required();
    command->callback([&context, options] { context.exitCode = writeNewPlan(context, *options); });
}

void printSchedule(std::ostream& out, const HuntPlan& plan, bool json) {
    if (json) {
        out << scheduleJson(plan).dump(2) << '\n';
    } else {
        out << scheduleTable(plan);
    }
}

}  // namespace

void printPlanWarnings(CliContext& context, const HuntPlan& plan) {
    for (const std::string& warning : plan.warnings) context.err << "Warning: " << shownText(warning) << '\n';
}

void addPlanEventCommands(CLI::App& plan, CliContext& context) {
    addNew(plan, context);
    addPlanPrintCommand(plan, context,
                        {"schedule", "Print when to switch each beacon of a plan's event on, and what it stores for it",
                         "Print one JSON object instead of the table", "the plan has none to schedule", printSchedule});
}

}  // namespace wb
