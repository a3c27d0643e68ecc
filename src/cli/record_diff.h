#pragma once

#include <string>
#include <vector>

#include "config/device_config.h"

namespace wb {

// One line "key: old -> new" for each member that differs (changedFields),
// with the values as the JSON form writes them, escaped for a terminal.
std::vector<std::string> recordDifferences(const DeviceConfig& before, const DeviceConfig& after);

}  // namespace wb
