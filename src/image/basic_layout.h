#pragma once

#include "config/beacon_device.h"
#include "config/codec_context.h"

namespace wb {

// Basic beacon (model 1): 16-byte header, then the Morse text and the tone
// list, each ended by a 0 byte, sharing offsets 16..255.
// Encodes device.config into device.images.outgoingImage; returns true when
// the text or tones were cut (after the notice has been shown once).
bool encodeBasic(BeaconDevice& device, const CodecContext& context);
// Decodes device.images.incomingImage into device.config.
void decodeBasic(BeaconDevice& device);

}  // namespace wb
