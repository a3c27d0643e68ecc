#pragma once

#include <vector>

#include "config/device_config.h"
#include "config/record_fields.h"

namespace wb {

// The rows of the members `before` and `after` hold differently, in the
// record's order: the model when the two differ, then the members both
// records' layouts store. The tone list is its listed entries, so a list
// that grew or shrank differs; two NaNs are the same value.
std::vector<const RecordField*> changedFields(const DeviceConfig& before, const DeviceConfig& after);

}  // namespace wb
