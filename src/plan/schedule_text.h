#pragma once

#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "plan/hunt_plan.h"

namespace wb {

// A plan's schedule, one line per beacon in plan order under a heading:
// name, stored TX frequency, slot or "continuous", switch on at and first
// cycle at (in the start's offset, with the date where it is not the
// start's), Initial Delay, Total Runtime and Loop Time; "-" where a value
// does not apply. Empty for a plan without an event.
std::string scheduleTable(const HuntPlan& plan);
// Its cells, the heading first (as they are before they are lined up);
// none for a plan without an event.
std::vector<std::vector<std::string>> scheduleRows(const HuntPlan& plan);

// {"beacons": [{"name", "slot", "txFrequencyMHz", "switchOn", "firstCycle",
// "initialDelayMin", "totalRuntimeMin", "loopTimeSec"}]}: times in ISO 8601
// in the start's offset, null where a value does not apply.
nlohmann::ordered_json scheduleJson(const HuntPlan& plan);

}  // namespace wb
