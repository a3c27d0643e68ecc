#pragma once

#include <string>
#include <vector>

#include "config/config_image.h"
#include "config/device_config.h"
#include "config/device_model.h"

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
};

}  // namespace wb
