#pragma once

#include <array>
#include <string_view>

#include "config/beacon_device.h"
#include "config/codec_context.h"

namespace wb {

// The record members (JSON keys) this layout stores.
inline constexpr std::array<std::string_view, 13> kBasicStoredMembers{
    "model", "morseText", "morseSpeedWpm", "morseTone", "toneSpeedMs", "tonesDurationSec",
    "preTonesDelaySec", "loopTimeSec", "txFrequencyMHz", "calibrationPercent", "tones", "toneCount",
    "ledEnabled",
};

// Basic beacon (model 1): 16-byte header, then the Morse text and the tone
// list, each ended by a 0 byte, sharing offsets 16..255.
// Encodes device.config into device.images.outgoingImage; returns true when
// the text or tones were cut (after the notice has been shown once).
bool encodeBasic(BeaconDevice& device, const CodecContext& context);
// Decodes device.images.incomingImage into device.config.
void decodeBasic(BeaconDevice& device);

}  // namespace wb
