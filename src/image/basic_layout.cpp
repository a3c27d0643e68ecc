#include "image/basic_layout.h"

#include "image/byte_fields.h"
#include "image/codec_common.h"

namespace wb {
namespace {

// Header offsets.
constexpr std::size_t kToneOffset = 0;
constexpr std::size_t kTextOffset = 1;
constexpr std::size_t kToneStep = 2;
constexpr std::size_t kTonesDuration = 3;
constexpr std::size_t kSpeed = 5;
constexpr std::size_t kMorseTone = 6;
constexpr std::size_t kLoopTime = 7;
constexpr std::size_t kTxSteps = 9;
constexpr std::size_t kCalibration = 11;
constexpr std::size_t kLed = 13;
constexpr std::size_t kPreTonesDelay = 14;

// Text and tones share 16..255; the last terminator may sit at 255.
constexpr std::size_t kAreaStart = 16;
constexpr std::size_t kAreaLast = 255;

constexpr double kCalibrationBase = 31250.0;

std::uint32_t clamp16(std::int32_t value) {
    return static_cast<std::uint32_t>(clampInt(value, 0, 65535));
}

}  // namespace

EncodedImage encodeBasic(const DeviceConfig& config, bool noLimit) {
    EncodedImage encoded;
    ConfigImage& image = encoded.image;

    encoded.morseSpeedWpm = raisedMorseSpeed(config.morseSpeedWpm);
    image[kSpeed] = static_cast<std::uint8_t>(clampInt(600 / encoded.morseSpeedWpm, 3, 85));
    image[kMorseTone] = clampToByte(config.morseTone);
    image[kToneStep] = clampToByte(config.toneSpeedMs / 2);
    putLe16(image, kTonesDuration, clamp16(config.tonesDurationSec));
    putLe16(image, kLoopTime, clamp16(config.loopTimeSec));
    putLe16(image, kPreTonesDelay, clamp16(config.preTonesDelaySec));

    // Multiply, divide, then add the half, as the count was always formed.
    const double tx = limitedTxFrequency(config.txFrequencyMHz, noLimit);
    putLe16(image, kTxSteps, roundedModulo(tx * 1000.0 / 5.0, 65536.0));
    putLe16(image, kCalibration,
            roundedModulo(calibrationQuotient(kCalibrationBase, config.calibrationPercent),
                          65536.0));
    image[kLed] = config.ledEnabled != 0 ? 1 : 0;
    image[kTextOffset] = static_cast<std::uint8_t>(kAreaStart);

    std::size_t next = kAreaStart;
    for (char c : config.morseText) {
        if (next < kAreaLast) {
            image[next++] = static_cast<std::uint8_t>(c);
        } else {
            encoded.textCut = true;
        }
    }
    image[next] = 0;
    if (next < kAreaLast) ++next;
    image[kToneOffset] = static_cast<std::uint8_t>(next);

    const std::size_t toneCount = listedToneCount(config);
    for (std::size_t i = 0; i < toneCount; ++i) {
        if (next < kAreaLast) {
            image[next++] = config.tones[i];
        } else {
            encoded.tonesCut = true;
        }
    }
    image[next] = 0;
    return encoded;
}

void decodeBasic(const ConfigImage& image, DeviceConfig& config) {
    config.morseText = readText(image, image[kTextOffset]);
    const std::uint8_t speed = image[kSpeed];
    config.morseSpeedWpm = speed != 0 ? 600 / speed : 0;
    config.morseTone = image[kMorseTone];
    config.toneSpeedMs = 2 * image[kToneStep];
    config.tonesDurationSec = static_cast<std::int32_t>(getLe16(image, kTonesDuration));
    config.loopTimeSec = static_cast<std::int32_t>(getLe16(image, kLoopTime));
    config.preTonesDelaySec = static_cast<std::int32_t>(getLe16(image, kPreTonesDelay));
    config.txFrequencyMHz =
        static_cast<float>(static_cast<double>(getLe16(image, kTxSteps)) * 5.0 / 1000.0);
    config.ledEnabled = image[kLed] & 0x01u;
    config.calibrationPercent =
        calibrationFromWord(kCalibrationBase, getLe16(image, kCalibration));
    readTones(image, image[kToneOffset], config);
}

}  // namespace wb
