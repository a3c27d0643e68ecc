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
// 3..85 units of 600 / WPM; tone steps of 2 ms.
constexpr MorseBytes kMorse{kSpeed, kMorseTone, kToneStep, 600, 3, 85, 2};

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

    encoded.morseSpeedWpm = putMorseBytes(image, kMorse, config);
    putLe16(image, kTonesDuration, clamp16(config.tonesDurationSec));
    putLe16(image, kLoopTime, clamp16(config.loopTimeSec));
    putLe16(image, kPreTonesDelay, clamp16(config.preTonesDelaySec));

    // Multiply, divide, then add the half, as the count was always formed.
    const double tx = limitedTxFrequency(config.txFrequencyMHz, noLimit);
    putLe16(image, kTxSteps, roundedModulo(tx * 1000.0 / 5.0, 65536.0));
    putCalibration(image, kCalibration, kCalibrationBase, config.calibrationPercent);
    image[kLed] = config.ledEnabled != 0 ? 1 : 0;

    // The tones follow the text's terminator, unless that sits at the end.
    image[kTextOffset] = static_cast<std::uint8_t>(kAreaStart);
    std::size_t next = putTerminated(image, kAreaStart, kAreaLast, config.morseText, encoded.textCut);
    if (next < kAreaLast) ++next;
    image[kToneOffset] = static_cast<std::uint8_t>(next);
    putTerminated(image, next, kAreaLast, listedTones(config), encoded.tonesCut);
    return encoded;
}

void decodeBasic(const ConfigImage& image, DeviceConfig& config) {
    config.morseText = readText(image, image[kTextOffset]);
    getMorseBytes(image, kMorse, config);
    config.tonesDurationSec = static_cast<std::int32_t>(getLe16(image, kTonesDuration));
    config.loopTimeSec = static_cast<std::int32_t>(getLe16(image, kLoopTime));
    config.preTonesDelaySec = static_cast<std::int32_t>(getLe16(image, kPreTonesDelay));
    config.txFrequencyMHz =
        static_cast<float>(static_cast<double>(getLe16(image, kTxSteps)) * 5.0 / 1000.0);
    config.ledEnabled = image[kLed] & 0x01u;
    config.calibrationPercent = getCalibration(image, kCalibration, kCalibrationBase);
    readTones(image, image[kToneOffset], config);
}

}  // namespace wb
