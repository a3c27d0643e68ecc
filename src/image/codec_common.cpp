#include "image/codec_common.h"

#include <limits>

#include "image/byte_fields.h"

namespace wb {
namespace {

double calibrationQuotient(double base, float percent) {
    const double divisor = static_cast<double>(percent) / 100.0 + 1.0;
    if (divisor == 0.0) return std::numeric_limits<double>::infinity();
    return static_cast<double>(toSingle(base / divisor));
}

float calibrationFromWord(double base, std::uint32_t word) {
    if (word == 0) return std::numeric_limits<float>::infinity();
    return static_cast<float>((base / static_cast<double>(word) - 1.0) * 100.0);
}

}  // namespace

double limitedTxFrequency(float frequencyMHz, bool noLimit) {
    // Written as "not inside" so that NaN counts as outside the band.
    if (!noLimit && !(frequencyMHz >= 144.0f && frequencyMHz <= 148.0f)) {
        frequencyMHz = kDefaultFrequencyMHz;
    }
    return static_cast<double>(frequencyMHz);
}

std::int32_t putMorseBytes(ConfigImage& image, const MorseBytes& at, const DeviceConfig& config) {
    const std::int32_t wpm = config.morseSpeedWpm < 3 ? 3 : config.morseSpeedWpm;
    image[at.speed] = static_cast<std::uint8_t>(clampInt(at.speedDividend / wpm, at.speedMin, at.speedMax));
    image[at.tone] = clampToByte(config.morseTone);
    image[at.toneStep] = clampToByte(config.toneSpeedMs / at.toneStepMs);
    return wpm;
}

void getMorseBytes(const ConfigImage& image, const MorseBytes& at, DeviceConfig& config) {
    const std::uint8_t speed = image[at.speed];
    config.morseSpeedWpm = speed != 0 ? at.speedDividend / speed : 0;
    config.morseTone = image[at.tone];
    config.toneSpeedMs = at.toneStepMs * image[at.toneStep];
}

void putCalibration(ConfigImage& image, std::size_t offset, double base, float percent) {
    putLe16(image, offset, roundedModulo(calibrationQuotient(base, percent), 65536.0));
}

float getCalibration(const ConfigImage& image, std::size_t offset, double base) {
    return calibrationFromWord(base, getLe16(image, offset));
}

std::string readText(const ConfigImage& image, std::size_t start) {
    std::string text;
    for (std::size_t i = start; i < image.size() && image[i] != 0; ++i) {
        text.push_back(static_cast<char>(image[i]));
    }
    return text;
}

void readTones(const ConfigImage& image, std::size_t start, DeviceConfig& config) {
    std::size_t count = 0;
    for (std::size_t i = start; i < image.size() && image[i] != 0 && count < kToneCapacity;
         ++i) {
        config.tones[count++] = image[i];
    }
    config.toneCount = static_cast<std::int32_t>(count);
}

}  // namespace wb
