#pragma once

#include <string>
#include <string_view>

#include "config/device_config.h"

namespace wb {

// A hunt plan made from the form's record and the page's list of beacons,
// one a line: "NAME", or "NAME TEXT" where TEXT may hold blanks. Each
// beacon's Morse text is its TEXT (or its NAME) between blanks, as the Morse
// field stores it typed. Returns the plan file's text, UTF-8 as the list is,
// indented by two and ending in a line break.
std::string formPlanText(const DeviceConfig& record, std::string_view beaconLines);

}  // namespace wb
