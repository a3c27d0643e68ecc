#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "config/device_config.h"
#include "config/device_model.h"

namespace wb {

// The values of a number member that a model's layout takes: within the
// range it stores what was given, coarsened at most to the layout's step;
// outside it the layout would clamp the value or keep only its low digits.
// Decimals are compared as the record view shows them (three decimals).
struct HeldRange {
    std::string_view key;
    double min;
    double max;
};

// The range of a member in a model's layout (with the TX limit when it is
// not lifted); empty when the layout stores every value of the member's
// kind or does not store the member.
std::optional<HeldRange> heldRange(DeviceModel model, std::string_view key, bool noLimit);

// Every range a model's layout has, for the tests.
std::span<const HeldRange> heldRanges(DeviceModel model);

// The first number member that `edited` holds differently from `before`
// (the members an edit gave) and that `edited`'s model's layout cannot hold
// as given: "unlockCode: out of range 0..9999 for the Tarsel layout". A
// value the layout stores exactly (an infinite calibration) always passes.
std::optional<std::string> unheldValue(const DeviceConfig& edited, const DeviceConfig& before, bool noLimit);

}  // namespace wb
