#pragma once

#include <optional>
#include <string>

#include "config/config_image.h"

namespace wb {

// The .wb1 format: "WB14", 256 as a little-endian 32-bit number, the image.
// On failure `error` says why.
std::optional<ConfigImage> readImageFile(const std::string& path, std::string& error);
bool writeImageFile(const std::string& path, const ConfigImage& image, std::string& error);

}  // namespace wb
