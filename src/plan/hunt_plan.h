#pragma once

#include <optional>
#include <string>
#include <vector>

#include "config/config_image.h"
#include "config/device_config.h"
#include "config/device_model.h"
#include "plan/event_schedule.h"

namespace wb {

// One beacon of a hunt: its name in the plan ("MOE"), the record the plan
// gives it, and what its beacon will hold: the image written and the record
// decoded back from it (coarsened and clamped as the layout stores it).
struct PlanEntry {
    std::string name;
    DeviceConfig record;
    ConfigImage image{};
    DeviceConfig stored;
};

// A validated plan: every entry encodes without a cut for the model.
struct HuntPlan {
    DeviceModel model = DeviceModel::None;
    std::vector<PlanEntry> entries;
    std::optional<PlanEvent> event;
    // When each entry is switched on and keys, from the event, by entry;
    // entryTiming reads it.
    std::vector<BeaconTiming> timings;
    // What may spoil the hunt without making the plan wrong.
    std::vector<std::string> warnings;
};

// An entry's timing; one the plan gives none sends all the time.
inline const BeaconTiming& entryTiming(const HuntPlan& plan, std::size_t entry) {
    static const BeaconTiming kContinuous{};
    return entry < plan.timings.size() ? plan.timings[entry] : kContinuous;
}

}  // namespace wb
