#pragma once

#include <string>

#include "config/device_config.h"

namespace wb {

// The record as a readable table in the record's order, in the record
// view's words: the form's labels, units and number formats, the model by
// its name, the tone list ten entries to a line. A member the model's
// layout does not store is shown with its value and "(not stored by
// MODEL)" after it, the model's name: the beacon never holds that value.
// Control characters of the Morse text are escaped for the terminal.
std::string recordTable(const DeviceConfig& config);

}  // namespace wb
