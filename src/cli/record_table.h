#pragma once

#include <string>

#include "config/device_config.h"

namespace wb {

// The record as a readable table in the order of the dialog's form, with
// the form's labels, units and number formats; the tone list as the form
// writes it, ten entries to a line.
std::string recordTable(const DeviceConfig& config);

// printf formatting of one number ("%d", "%04d", "%3.3f"), in full.
std::string formatInt(const char* format, int value);
std::string formatDecimal(float value);

}  // namespace wb
