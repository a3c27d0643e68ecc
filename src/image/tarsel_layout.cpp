#include "image/tarsel_layout.h"

#include "image/byte_fields.h"
#include "image/codec_common.h"

namespace wb {
namespace {

// Fixed offsets.
constexpr std::size_t kPreTonesDelay = 0;
constexpr std::size_t kTonesDuration = 2;
constexpr std::size_t kLoopTime = 4;
constexpr std::size_t kInitialDelay = 6;
constexpr std::size_t kTotalRuntime = 8;
constexpr std::size_t kTx = 10;
constexpr std::size_t kRx = 12;
constexpr std::size_t kUnlock = 14;
constexpr std::size_t kCalibration = 16;
constexpr std::size_t kToneStep = 18;
constexpr std::size_t kSpeed = 19;
constexpr std::size_t kMorseTone = 20;
constexpr std::size_t kFlags = 21;
constexpr std::size_t kTextStart = 22;
constexpr std::size_t kTextEnd = 82;  // terminator at most here
constexpr std::size_t kTonesStart = 83;
constexpr std::size_t kTonesEnd = 244;  // terminator at most here
constexpr std::size_t kMarker = 245;
constexpr std::uint8_t kMarkerValue = 0xA8;
// 8..255 units of 240 / WPM; tone steps of 5 ms.
constexpr MorseBytes kMorse{kSpeed, kMorseTone, kToneStep, 240, 8, 255, 5};

constexpr double kCalibrationBase = 20000.0;

constexpr std::uint8_t kRandomTones = 0x01;
constexpr std::uint8_t kRandomSpeed = 0x02;
constexpr std::uint8_t kRandomMorse = 0x04;
constexpr std::uint8_t kAutoStart = 0x08;
constexpr std::uint8_t kDisableRx = 0x80;

// A pair of bytes: value mod 60 below, value / 60 above; 255:59 at most.
void putTime(ConfigImage& image, std::size_t offset, std::int32_t value) {
    const std::int32_t v = clampInt(value, 0, 255 * 60 + 59);
    image[offset] = static_cast<std::uint8_t>(v % 60);
    image[offset + 1] = static_cast<std::uint8_t>(v / 60);
}

std::int32_t getTime(const ConfigImage& image, std::size_t offset) {
    return image[offset] + 60 * image[offset + 1];
}

// Whole kHz as four BCD digits; the beacon supplies the 140 MHz itself.
void putFrequency(ConfigImage& image, std::size_t offset, double frequencyMHz) {
    const std::uint32_t khz = roundedModulo(frequencyMHz * 1000.0, 10000.0);
    image[offset] = static_cast<std::uint8_t>((khz / 10 % 10) << 4 | khz % 10);
    image[offset + 1] = static_cast<std::uint8_t>((khz / 1000 % 10) << 4 | khz / 100 % 10);
}

// Nibbles are taken as they are, also above 9.
float getFrequency(const ConfigImage& image, std::size_t offset) {
    const std::uint32_t w = getLe16(image, offset);
    const std::uint32_t khz = (140 + (w >> 12 & 0xF)) * 1000 + (w >> 8 & 0xF) * 100 +
                              (w >> 4 & 0xF) * 10 + (w & 0xF);
    return static_cast<float>(static_cast<double>(khz) / 1000.0);
}

}  // namespace

EncodedImage encodeTarsel(const DeviceConfig& config, bool noLimit) {
    EncodedImage encoded;
    ConfigImage& image = encoded.image;

    encoded.morseSpeedWpm = putMorseBytes(image, kMorse, config);

    putTime(image, kPreTonesDelay, config.preTonesDelaySec);
    putTime(image, kTonesDuration, config.tonesDurationSec);
    putTime(image, kLoopTime, config.loopTimeSec);
    putTime(image, kInitialDelay, config.initialDelayMin);
    putTime(image, kTotalRuntime, config.totalRuntimeMin);

    const UnlockDigits d = unlockDigits(config.unlockCode);
    image[kUnlock] = static_cast<std::uint8_t>(d.d1 << 4 | d.d0);
    image[kUnlock + 1] = static_cast<std::uint8_t>(d.d3 << 4 | d.d2);

    putFrequency(image, kTx, limitedTxFrequency(config.txFrequencyMHz, noLimit));
    // The receiver has no band limit.
    putFrequency(image, kRx, static_cast<double>(config.rxFrequencyMHz));

    putCalibration(image, kCalibration, kCalibrationBase, config.calibrationPercent);

    std::uint8_t flags = 0;
    if (config.randomTones != 0) flags |= kRandomTones;
    if (config.randomSpeed != 0) flags |= kRandomSpeed;
    if (config.randomMorse != 0) flags |= kRandomMorse;
    if (config.autoStart != 0) flags |= kAutoStart;
    if (config.disableRx != 0) flags |= kDisableRx;
    image[kFlags] = flags;

    putTerminated(image, kTextStart, kTextEnd, config.morseText, encoded.textCut);
    putTerminated(image, kTonesStart, kTonesEnd, listedTones(config), encoded.tonesCut);

    image[kMarker] = kMarkerValue;
    return encoded;
}

void decodeTarsel(const ConfigImage& image, DeviceConfig& config) {
    config.morseText = readText(image, kTextStart);
    getMorseBytes(image, kMorse, config);

    config.preTonesDelaySec = getTime(image, kPreTonesDelay);
    config.tonesDurationSec = getTime(image, kTonesDuration);
    config.loopTimeSec = getTime(image, kLoopTime);
    config.initialDelayMin = getTime(image, kInitialDelay);
    config.totalRuntimeMin = getTime(image, kTotalRuntime);

    const std::uint8_t low = image[kUnlock];
    const std::uint8_t high = image[kUnlock + 1];
    // mod 10 turns the stored 0xA back into 0.
    config.unlockCode = 1000 * ((high >> 4) % 10) + 100 * ((high & 0xF) % 10) +
                        10 * ((low >> 4) % 10) + (low & 0xF) % 10;

    config.txFrequencyMHz = getFrequency(image, kTx);
    config.rxFrequencyMHz = getFrequency(image, kRx);
    config.calibrationPercent = getCalibration(image, kCalibration, kCalibrationBase);

    const std::uint8_t flags = image[kFlags];
    config.randomTones = (flags & kRandomTones) != 0 ? 1 : 0;
    config.randomSpeed = (flags & kRandomSpeed) != 0 ? 1 : 0;
    config.randomMorse = (flags & kRandomMorse) != 0 ? 1 : 0;
    config.autoStart = (flags & kAutoStart) != 0 ? 1 : 0;
    config.disableRx = (flags & kDisableRx) != 0 ? 1 : 0;

    readTones(image, kTonesStart, config);
}

}  // namespace wb
