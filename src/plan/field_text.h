#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "config/device_config.h"
#include "config/record_fields.h"
#include "config/record_view.h"

namespace wb {

// Two records' differences as the verify command, the audit and the page
// tell them, in the record view's words.

// The keys of the members that `a`, as its beacon stores it, and `b` hold
// differently, in the record's order: the model when the two differ, then
// the members both models' layouts store.
std::vector<std::string> differingFields(const DeviceConfig& a, const DeviceConfig& b);

struct ShownDifference {
    std::string key;
    std::string label;  // fieldTitle
    std::string a;      // shownValue, tone lists in full when their counted forms agree
    std::string b;
};
std::vector<ShownDifference> shownDifferences(const DeviceConfig& a, const DeviceConfig& b);

}  // namespace wb
