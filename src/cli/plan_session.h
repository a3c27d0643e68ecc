#pragma once

#include <string>

#include "cli/cli_context.h"
#include "cli/device_session.h"
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

// `wrenbolt plan run`: drives a PlanRun on the command's 100 ms schedule,
// with the exchange's progress and the plan's messages on stderr, backups
// in the backup folder and one report row per attempt. Returns the exit
// code: 0 when every entry was programmed, 1 otherwise, 130 when stopped.
// Ctrl-C is the two-stage stop of `wrenbolt write`: during a write the first
// lets it finish and ends the run after it, the second stops at once.
int runHuntPlan(CliContext& context, const PlanRunCommandOptions& options, const HuntPlan& plan);

}  // namespace wb
