#pragma once

#include "config/beacon_device.h"
#include "config/codec_context.h"

namespace wb {

// Tarsel beacon (model 2): every setting at a fixed offset, the text at
// 22..82, the tones at 83..244, marker 0xA8 at 245.
bool encodeTarsel(BeaconDevice& device, const CodecContext& context);
void decodeTarsel(BeaconDevice& device);

}  // namespace wb
