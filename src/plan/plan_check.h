#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "plan/hunt_plan.h"

namespace wb {

// Why a plan cannot be run; empty when it can.
using PlanError = std::optional<std::string>;

struct PlanCheckOptions {
    bool noLimit = false;
    // Two beacons may store the same Morse text.
    bool allowSameText = false;
    // How the front end lets the user allow that, named in the refusal.
    std::string_view sameTextSwitch = "--allow-same-text";
};

// Encodes every entry's record with the plan's model, keeping the image
// and the record decoded back from it. Refuses, naming the beacon, a number
// the layout cannot hold as given (unheldValue), a Morse text or tone list
// the layout would cut, and, naming both beacons, two entries whose Morse
// texts sound alike on the same TX frequency (sameIdentity): two beacons
// sending the same identification spoil a hunt.
PlanError checkPlanEntries(HuntPlan& plan, const PlanCheckOptions& options);

}  // namespace wb
