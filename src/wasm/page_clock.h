#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "plan/hunt_plan.h"

namespace wb {

// The plan's schedule as the page's table shows it: {"columns": [..],
// "rows": [[..]]}, the cells those of `plan schedule`; no rows without an
// event.
std::string pageScheduleJson(const HuntPlan* plan);

// The hunt clock at a moment (UTC seconds), as JSON: {"key", "phase",
// "headline", "detail", "reminder", "deviceTime", "cycle", "due": [entry], "onAir":
// [entry], "beacons": [{"entry", "name", "slot", "switchOn"}]}. key names
// the plan's taps on the device (from the plan file's SHA-256).
std::string pageClockJson(const HuntPlan* plan, const std::string& planSha256, std::int64_t nowSec);

// The CSV log of the taps the page kept: a JSON array of [seconds, entry,
// kind] with kind "on", "heard" or "not heard"; a malformed tap is left out.
std::string pageClockLog(const HuntPlan* plan, std::string_view tapsJson);

}  // namespace wb
