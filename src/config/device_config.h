#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/device_model.h"

namespace wb {

inline constexpr std::size_t kToneCapacity = 200;
using ToneList = std::array<std::uint8_t, kToneCapacity>;

// 146.565 MHz in single precision. Written as a bit pattern so that every
// compiler and every printf agree on the very same float.
inline constexpr float kDefaultFrequencyMHz = std::bit_cast<float>(0x431290A4u);

// The factory tone sequence: 64 steps, the rest of the list zero.
ToneList factoryTones();
inline constexpr std::int32_t kFactoryToneCount = 64;

// Every setting the program can edit, with the model of the beacon last
// identified. Members the current model's layout does not carry keep their
// values across a read, so the record is never reset after start-up.
struct DeviceConfig {
    DeviceModel model = DeviceModel::None;
    std::string morseText = " WRENBOLT ";
    std::int32_t morseSpeedWpm = 20;
    std::int32_t morseTone = 26;
    std::int32_t toneSpeedMs = 50;
    std::int32_t tonesDurationSec = 15;
    std::int32_t preTonesDelaySec = 0;
    std::int32_t loopTimeSec = 30;
    float txFrequencyMHz = kDefaultFrequencyMHz;
    float rxFrequencyMHz = kDefaultFrequencyMHz;
    float calibrationPercent = 0.0f;
    ToneList tones = factoryTones();
    std::int32_t toneCount = kFactoryToneCount;
    std::uint8_t ledEnabled = 1;
    std::uint8_t randomTones = 0;
    std::uint8_t randomSpeed = 0;
    std::uint8_t randomMorse = 0;
    std::uint8_t autoStart = 0;
    std::uint8_t disableRx = 0;
    std::int32_t unlockCode = 5862;
    std::int32_t initialDelayMin = 0;
    std::int32_t totalRuntimeMin = 0;

    bool operator==(const DeviceConfig&) const = default;
};

// How many entries of the tone list count: toneCount, held to 0..200 where
// the record says otherwise. Everything that reads the list reads this many.
inline std::size_t listedToneCount(const DeviceConfig& config) {
    if (config.toneCount <= 0) return 0;
    const auto count = static_cast<std::size_t>(config.toneCount);
    return count < kToneCapacity ? count : kToneCapacity;
}

}  // namespace wb
