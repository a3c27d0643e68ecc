#pragma once

#include <string>

#include "config/config_image.h"

namespace wb {

// Saves an image exactly as the beacon sent it, in the .wb1 format ("WB14",
// 256 as a little-endian 32-bit number, the image), so that a backup can
// be written back byte for byte. False when the file cannot be written.
bool saveRawImageFile(const std::string& path, const ConfigImage& image);

}  // namespace wb
