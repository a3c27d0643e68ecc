#pragma once

#include <string>
#include <string_view>

#include "app/dialog_controls.h"
#include "config/device_config.h"
#include "config/record_view.h"  // formatToneList, the Tones field's text

namespace wb {

void formToRecord(DialogControls& controls, DeviceConfig& config);
void recordToForm(DialogControls& controls, const DeviceConfig& config);
void enableControlsForModel(DialogControls& controls, DeviceModel model);
std::string portSelectorText(DialogControls& controls);

// Reads entries separated by any run of blanks, commas, tabs and line
// breaks; keeps at most the list's capacity.
void parseToneList(std::string_view text, DeviceConfig& config);

}  // namespace wb
