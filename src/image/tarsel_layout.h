#pragma once

#include <array>
#include <string_view>

#include "config/beacon_device.h"
#include "config/codec_context.h"

namespace wb {

// The record members (JSON keys) this layout stores.
inline constexpr std::array<std::string_view, 21> kTarselStoredMembers{
    "model", "morseText", "morseSpeedWpm", "morseTone", "toneSpeedMs", "tonesDurationSec",
    "preTonesDelaySec", "loopTimeSec", "txFrequencyMHz", "rxFrequencyMHz", "calibrationPercent",
    "tones", "toneCount", "randomTones", "randomSpeed", "randomMorse", "autoStart", "disableRx",
    "unlockCode", "initialDelayMin", "totalRuntimeMin",
};

// Tarsel beacon (model 2): every setting at a fixed offset, the text at
// 22..82, the tones at 83..244, marker 0xA8 at 245.
bool encodeTarsel(BeaconDevice& device, const CodecContext& context);
void decodeTarsel(BeaconDevice& device);

}  // namespace wb
