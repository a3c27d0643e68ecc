#pragma once

#include "image/layout.h"

namespace wb {

// Basic beacon (model 1): 16-byte header, then the Morse text and the tone
// list, each ended by a 0 byte, sharing offsets 16..255.
EncodedImage encodeBasic(const DeviceConfig& record, bool noLimit);
void decodeBasic(const ConfigImage& image, DeviceConfig& record);

}  // namespace wb
