#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "cli/cli_context.h"
#include "cli/device_session.h"
#include "plan/cable_cycle.h"
#include "plan/hunt_plan.h"
#include "plan/plan_check.h"

namespace wb {

struct PlanRunCommandOptions {
    DeviceCommandOptions device;
    std::string planPath;
    std::string reportPath;
    std::string backupDir;
    bool confirm = false;
    PlanCheckOptions check;
};

// What a cable-cycle command keeps: one CSV row per beacon in the report
// (when it names one) and, for a step that writes, backups in a folder.
struct CycleFiles {
    std::string reportPath;
    std::string reportHeader;
    std::string reportKind;  // "a plan report", as a refusal names it
    std::filesystem::path backupDir;
};

// How a cable cycle ended, for the command to sum up.
struct CycleEnd {
    DeviceSession& session;
    // --confirm: the input ended before the next beacon was confirmed.
    bool inputEnded = false;
};

using MakeCycle = std::function<std::unique_ptr<CableCycle>(BeaconDevice&, SerialPort&, CycleHost&)>;

// The one driver of the plan's cable cycles on the command line: the
// cycle `make` builds runs on the command's 100 ms schedule, with the
// exchange's progress and the cycle's messages on stderr, Enter read from
// stdin for --confirm, and Ctrl-C as the two-stage stop of `wrenbolt
// write` (during a write the first lets it finish and ends the cycle after
// it, the second stops at once). `end` sums up and gives the exit code;
// the return value is the command's exit code.
int driveCableCycle(CliContext& context, const DeviceCommandOptions& device, const CycleFiles& files,
                    const MakeCycle& make, const std::function<int(const CycleEnd&)>& end);

// `wrenbolt plan run`. Returns the exit code: 0 when every entry was
// programmed, 1 otherwise, 130 when stopped.
int runHuntPlan(CliContext& context, const PlanRunCommandOptions& options, const HuntPlan& plan);

}  // namespace wb
