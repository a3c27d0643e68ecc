#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "config/config_image.h"
#include "config/device_config.h"

namespace wb {

// Rules both layouts share.

// The beacon cannot send slower than 3 WPM; the raised speed goes back into
// the record so that the form shows what was written.
std::int32_t raisedMorseSpeed(std::int32_t wpm);

// The TX frequency that goes into the image: outside 144..148 MHz (or NaN)
// the default is used instead, unless the limit is lifted. The record keeps
// what the user typed.
double limitedTxFrequency(float frequencyMHz, bool noLimit);

// base / (percent / 100 + 1) in double, rounded to single precision. A zero
// divisor gives +infinity, which stores as word 0.
double calibrationQuotient(double base, float percent);

// (base / word - 1) * 100 in single precision; word 0 reads as +infinity.
float calibrationFromWord(double base, std::uint32_t word);

// The bytes from `start` up to the first 0, or to the end of the image.
std::string readText(const ConfigImage& image, std::size_t start);

// The tone entries from `start` up to the first 0 or the end of the image,
// at most as many as the record can hold; sets toneCount.
void readTones(const ConfigImage& image, std::size_t start, DeviceConfig& config);

}  // namespace wb
