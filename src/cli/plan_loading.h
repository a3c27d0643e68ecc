#pragma once

#include <string>
#include <vector>

#include "cli/file_roles.h"
#include "plan/hunt_plan.h"
#include "plan/plan_check.h"

namespace wb {

// Reads a plan file and its base file (a path relative to the plan's
// folder) and builds every entry. Anything wrong with either is a usage
// error (thrown as UsageError): nothing reaches a beacon.
HuntPlan loadHuntPlan(const std::string& planPath, const PlanCheckOptions& options);
// The same for a command that takes other files (its outputs, a report to
// read): none of `files` may be the plan, its base file or another of them
// (a UsageError as well).
HuntPlan loadHuntPlan(const std::string& planPath, const PlanCheckOptions& options,
                      const std::vector<FileRole>& files);

}  // namespace wb
