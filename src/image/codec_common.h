#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "config/config_image.h"
#include "config/device_config.h"

namespace wb {

// Rules both layouts share.

// The TX frequency that goes into the image: outside 144..148 MHz (or NaN)
// the default is used instead, unless the limit is lifted. The record keeps
// what the user typed.
double limitedTxFrequency(float frequencyMHz, bool noLimit);

// Where a layout keeps the Morse speed, the Morse tone and the tone step.
// The speed byte is `speedDividend` over the speed in WPM, held to
// speedMin..speedMax; the tone step byte counts steps of `toneStepMs`.
struct MorseBytes {
    std::size_t speed;
    std::size_t tone;
    std::size_t toneStep;
    std::int32_t speedDividend;
    std::int32_t speedMin;
    std::int32_t speedMax;
    std::int32_t toneStepMs;
};

// Stores the three; returns the speed the record must take: the beacon
// cannot send slower than 3 WPM, and the form shows what was written.
std::int32_t putMorseBytes(ConfigImage& image, const MorseBytes& at, const DeviceConfig& config);
// A speed byte of 0 reads as 0 WPM.
void getMorseBytes(const ConfigImage& image, const MorseBytes& at, DeviceConfig& config);

// Lays `bytes` out from `start` and ends them with a 0, which may sit at
// `last` at the most: whatever would pass it is left out and `cut` set.
// Returns where the 0 went.
template <class Bytes>
std::size_t putTerminated(ConfigImage& image, std::size_t start, std::size_t last, const Bytes& bytes,
                          bool& cut) {
    std::size_t next = start;
    for (const auto b : bytes) {
        if (next < last) {
            image[next++] = static_cast<std::uint8_t>(b);
        } else {
            cut = true;
        }
    }
    image[next] = 0;
    return next;
}

// The entries of the tone list that count.
inline std::span<const std::uint8_t> listedTones(const DeviceConfig& config) {
    return std::span<const std::uint8_t>(config.tones).first(listedToneCount(config));
}

// The calibration word at `offset`: base / (percent / 100 + 1), rounded to
// single precision, in 16 bits; a zero divisor stores word 0, which reads
// back as +infinity.
void putCalibration(ConfigImage& image, std::size_t offset, double base, float percent);
float getCalibration(const ConfigImage& image, std::size_t offset, double base);

// The bytes from `start` up to the first 0, or to the end of the image.
std::string readText(const ConfigImage& image, std::size_t start);

// The tone entries from `start` up to the first 0 or the end of the image,
// at most as many as the record can hold; sets toneCount.
void readTones(const ConfigImage& image, std::size_t start, DeviceConfig& config);

}  // namespace wb
