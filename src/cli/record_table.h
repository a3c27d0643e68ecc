#pragma once

#include <string>

#include "config/device_config.h"

namespace wb {

// The record as a readable table in the record's order, with the form's
// labels, units and number formats; the tone list as the form writes it,
// ten entries to a line. A member the model's layout does not store is
// shown with its value and "(not stored by MODEL)" after it, the model's
// name: the beacon never holds that value.
std::string recordTable(const DeviceConfig& config);

// printf formatting of one number ("%d", "%04d", "%3.3f"), in full.
std::string formatInt(const char* format, int value);
std::string formatDecimal(const char* format, float value);

}  // namespace wb
