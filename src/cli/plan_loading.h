#pragma once

#include <string>

#include "plan/hunt_plan.h"
#include "plan/plan_check.h"

namespace wb {

// Reads a plan file and its base file (a path relative to the plan's
// folder) and builds every entry. Anything wrong with either is a usage
// error (thrown as UsageError): nothing reaches a beacon. The base file's
// path, when the plan names one, goes to baseFilePath.
HuntPlan loadHuntPlan(const std::string& planPath, const PlanCheckOptions& options,
                      std::string* baseFilePath = nullptr);

}  // namespace wb
