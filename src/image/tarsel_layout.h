#pragma once

#include "image/layout.h"

namespace wb {

// Tarsel beacon (model 2): every setting at a fixed offset, the text at
// 22..82, the tones at 83..244, marker 0xA8 at 245.
EncodedImage encodeTarsel(const DeviceConfig& record, bool noLimit);
void decodeTarsel(const ConfigImage& image, DeviceConfig& record);

}  // namespace wb
