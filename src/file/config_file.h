#pragma once

#include <string>

#include "config/beacon_device.h"
#include "config/codec_context.h"

namespace wb {

// A .wb1 file: "WB14", 256 as a little-endian 32-bit number, the image.
void saveConfigFile(BeaconDevice& device, const std::string& path, const CodecContext& context);
void loadConfigFile(BeaconDevice& device, const std::string& path);

}  // namespace wb
