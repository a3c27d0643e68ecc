#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/config_image.h"
#include "file/file_ops.h"
#include "plan/hunt_plan.h"
#include "plan/plan_check.h"

namespace wb {

// A plan file as written, before its records are built:
//   { "model": "basic", "baseFile": "event.wb1", "base": {...},
//     "event": {...}, "beacons": [ { "name": "MOE", "slot": 0, "set": {...} }, ... ] }
// base and each set hold members as the record's JSON form has them
// (model excepted), kept as JSON text for those rules to apply.
struct PlanSource {
    DeviceModel model = DeviceModel::None;
    std::string baseFile;  // as written: relative to the plan's folder
    std::string base;
    std::optional<PlanEvent> event;
    struct Beacon {
        std::string name;
        std::string set;
        std::optional<std::int32_t> slot;  // within the event's cycle
    };
    std::vector<Beacon> beacons;
};

// Reads a plan's text. Refuses, naming the key (and the beacon): text that
// is not a JSON object, an unknown key, a missing or unknown model, a base
// or set that is not an object or that names the model, no beacons, a
// beacon without a name, a name given twice, an event that parseEvent
// refuses and a slot that is not a whole number from 0, or without an event.
PlanError parsePlan(std::string_view text, PlanSource& source);

// The base file's image, loaded from `path` (the plan's baseFile as the
// front end found it) as Load takes a file, with the plan's model.
PlanError loadBaseImage(const PlanSource& source, const std::string& path, FileOps& files,
                        ConfigImage& image);

// Each beacon's record: the factory defaults, then the base file's image
// decoded with the plan's model, then base, then the beacon's set; then
// the event's timing for those with a slot (timeEntries); then
// checkPlanEntries and checkEventEntries. Errors name the beacon and the key, as the record's
// JSON rules word them.
PlanError buildPlan(const PlanSource& source, const std::optional<ConfigImage>& baseImage,
                    const PlanCheckOptions& options, HuntPlan& plan);

}  // namespace wb
