#pragma once

#include <string>

#include "plan/hunt_plan.h"

namespace wb {

// The hunt sheet's parts for a plan with an event (empty without one).
// A table row: each beacon's "Switch on at" time, with a box for the time
// it really was.
std::string sheetSwitchOnRow(const HuntPlan& plan);
// One cycle drawn to scale: time along, one row per stored TX frequency,
// each slot labelled with its beacon; continuous beacons fill their row.
std::string sheetCycleDrawing(const HuntPlan& plan);

}  // namespace wb
