#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "image/image_texts.h"
#include "image/tarsel_layout.h"
#include "support/image_harness.h"

namespace wb {
namespace {

using test::bytes;
using test::slice;

test::EncodeRun encode(const DeviceConfig& config, bool noLimit = false) {
    return test::runEncoder(encodeTarsel, config, noLimit);
}

DeviceConfig decode(const ConfigImage& image, const DeviceConfig& start = {}) {
    BeaconDevice device = test::deviceWithImage(image, start);
    decodeTarsel(device);
    EXPECT_EQ(device.statusText, image_text::kReadConfigSuccessful);
    return device.config;
}

TEST(TarselLayout, FactoryDefaultImageWithUnlock907) {
    DeviceConfig config;
    config.unlockCode = 907;
    const auto run = encode(config);
    EXPECT_FALSE(run.truncated);
    EXPECT_EQ(run.notices, 0);
    ConfigImage expected{};
    const auto header = bytes({0x00, 0x00, 0x0F, 0x00, 0x1E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x65,
                               0x65, 0x65, 0x65, 0xA7, 0xA9, 0x20, 0x4E, 0x0A, 0x0C, 0x1A, 0x00});
    std::copy(header.begin(), header.end(), expected.begin());
    const std::string text = " WRENBOLT ";
    std::copy(text.begin(), text.end(), expected.begin() + 22);
    const ToneList tones = factoryTones();
    std::copy(tones.begin(), tones.begin() + 64, expected.begin() + 83);
    expected[245] = 0xA8;
    EXPECT_EQ(run.image, expected);

    EXPECT_EQ(decode(run.image), config);
}

TEST(TarselLayout, MorseSpeed) {
    struct Case { int wpm; int recordAfter; int byte; int decoded; };
    for (const Case& c : {Case{2, 3, 80, 3}, {-7, 3, 80, 3}, {20, 20, 12, 20}, {25, 25, 9, 26},
                          {30, 30, 8, 30}, {31, 31, 8, 30}, {40, 40, 8, 30}}) {
        DeviceConfig config;
        config.morseSpeedWpm = c.wpm;
        const auto run = encode(config);
        EXPECT_EQ(run.config.morseSpeedWpm, c.recordAfter) << c.wpm;
        EXPECT_EQ(run.image[19], c.byte) << c.wpm;
        EXPECT_EQ(decode(run.image).morseSpeedWpm, c.decoded) << c.wpm;
    }
    for (const auto& [byte, wpm] : {std::pair{0, 0}, {241, 0}, {240, 1}, {255, 0}}) {
        ConfigImage image{};
        image[19] = static_cast<std::uint8_t>(byte);
        EXPECT_EQ(decode(image).morseSpeedWpm, wpm) << byte;
    }
}

TEST(TarselLayout, ToneAndToneStep) {
    struct Case { int ms; int byte; int decoded; };
    for (const Case& c : {Case{52, 10, 50}, {4, 0, 0}, {-10, 0, 0}, {2000, 255, 1275}}) {
        DeviceConfig config;
        config.toneSpeedMs = c.ms;
        const auto run = encode(config);
        EXPECT_EQ(run.image[18], c.byte) << c.ms;
        EXPECT_EQ(decode(run.image).toneSpeedMs, c.decoded) << c.ms;
    }
    for (const auto& [tone, byte] : {std::pair{-1, 0}, {255, 255}, {1000, 255}}) {
        DeviceConfig config;
        config.morseTone = tone;
        EXPECT_EQ(encode(config).image[20], byte) << tone;
    }
}

TEST(TarselLayout, TimePairs) {
    struct Case { int value; int lo; int hi; int decoded; };
    for (const Case& c : {Case{3725, 0x05, 0x3E, 3725}, {20000, 0x3B, 0xFF, 15359},
                          {15359, 0x3B, 0xFF, 15359}, {-1, 0, 0, 0}, {59, 59, 0, 59},
                          {60, 0, 1, 60}}) {
        DeviceConfig config;
        config.preTonesDelaySec = config.tonesDurationSec = config.loopTimeSec =
            config.initialDelayMin = config.totalRuntimeMin = c.value;
        const auto run = encode(config);
        for (std::size_t offset : {0u, 2u, 4u, 6u, 8u}) {
            EXPECT_EQ(slice(run.image, offset, 2), bytes({c.lo, c.hi})) << c.value << "@" << offset;
        }
        const DeviceConfig back = decode(run.image);
        for (int v : {back.preTonesDelaySec, back.tonesDurationSec, back.loopTimeSec,
                      back.initialDelayMin, back.totalRuntimeMin}) {
            EXPECT_EQ(v, c.decoded) << c.value;
        }
    }
}

TEST(TarselLayout, UnlockCode) {
    struct Case { int code; int b14; int b15; int decoded; };
    for (const Case& c : {Case{907, 0xA7, 0xA9, 907}, {0, 0xAA, 0xAA, 0}, {10203, 0xA3, 0xA2, 203},
                          {9999, 0x99, 0x99, 9999}, {5862, 0x62, 0x58, 5862}}) {
        DeviceConfig config;
        config.unlockCode = c.code;
        const auto run = encode(config);
        EXPECT_EQ(slice(run.image, 14, 2), bytes({c.b14, c.b15})) << c.code;
        EXPECT_EQ(decode(run.image).unlockCode, c.decoded) << c.code;
    }
}

TEST(TarselLayout, Frequencies) {
    struct Case { float mhz; bool noLimit; int lo; int hi; float decoded; };
    for (const Case& c : {Case{146.565f, false, 0x65, 0x65, 146.565f},
                          {145.0f, false, 0x00, 0x50, 145.0f}, {144.0f, false, 0x00, 0x40, 144.0f},
                          {148.0f, false, 0x00, 0x80, 148.0f},
                          {143.0f, false, 0x65, 0x65, 146.565f},
                          {148.001f, false, 0x65, 0x65, 146.565f},
                          {143.0f, true, 0x00, 0x30, 143.0f}, {150.0f, true, 0x00, 0x00, 140.0f},
                          {139.999f, true, 0x99, 0x99, 149.999f}}) {
        DeviceConfig config;
        config.txFrequencyMHz = c.mhz;
        const auto run = encode(config, c.noLimit);
        EXPECT_EQ(slice(run.image, 10, 2), bytes({c.lo, c.hi})) << c.mhz << " " << c.noLimit;
        EXPECT_EQ(run.config.txFrequencyMHz, c.mhz);
        EXPECT_FLOAT_EQ(decode(run.image).txFrequencyMHz, c.decoded) << c.mhz;
    }
    // The receiver has no band limit, with or without noLimit.
    for (bool noLimit : {false, true}) {
        DeviceConfig config;
        config.rxFrequencyMHz = 150.5f;
        const auto run = encode(config, noLimit);
        EXPECT_EQ(slice(run.image, 12, 2), bytes({0x00, 0x05}));
        EXPECT_FLOAT_EQ(decode(run.image).rxFrequencyMHz, 140.5f);
        config.rxFrequencyMHz = 139.999f;
        EXPECT_FLOAT_EQ(decode(encode(config, noLimit).image).rxFrequencyMHz, 149.999f);
    }
    // Nibbles above 9 are used as they are.
    ConfigImage image{};
    image[11] = 0xF0;
    EXPECT_FLOAT_EQ(decode(image).txFrequencyMHz, 155.0f);
}

TEST(TarselLayout, Calibration) {
    struct Case { float percent; int word; };
    for (const Case& c : {Case{0.0f, 20000}, {10.0f, 18182}, {-50.0f, 40000}, {-75.0f, 14464},
                          {-100.0f, 0}, {INFINITY, 0}}) {
        DeviceConfig config;
        config.calibrationPercent = c.percent;
        const auto run = encode(config);
        EXPECT_EQ(run.image[16] | run.image[17] << 8, c.word) << c.percent;
    }
    struct Back { int word; double percent; double tolerance; };
    for (const Back& b : {Back{18182, 9.9989, 1e-4}, {40000, -50.0, 0.0}, {14464, 38.274, 1e-3},
                          {65535, -69.482, 1e-3}}) {
        ConfigImage image{};
        image[16] = static_cast<std::uint8_t>(b.word);
        image[17] = static_cast<std::uint8_t>(b.word >> 8);
        EXPECT_NEAR(decode(image).calibrationPercent, b.percent, b.tolerance) << b.word;
    }
}

TEST(TarselLayout, Flags) {
    DeviceConfig config;
    config.randomTones = 1;
    config.autoStart = 5;  // any non-zero value counts as set
    config.disableRx = 1;
    config.ledEnabled = 0;
    EXPECT_EQ(encode(config).image[21], 0x89);
    config = DeviceConfig{};
    config.randomSpeed = config.randomMorse = 1;
    EXPECT_EQ(encode(config).image[21], 0x06);

    ConfigImage image{};
    image[21] = 0x70;
    DeviceConfig start;
    start.ledEnabled = 0;
    start.randomTones = 1;
    DeviceConfig back = decode(image, start);
    EXPECT_EQ(back.randomTones + back.randomSpeed + back.randomMorse + back.autoStart +
                  back.disableRx, 0);
    EXPECT_EQ(back.ledEnabled, 0) << "the Basic-only LED is left alone";
    image[21] = 0xFF;
    back = decode(image);
    EXPECT_EQ(back.randomTones + back.randomSpeed + back.randomMorse + back.autoStart +
                  back.disableRx, 5);
    EXPECT_EQ(back.ledEnabled, 1);
}

TEST(TarselLayout, TextAndToneRegions) {
    struct Case { std::size_t text; std::size_t tones; bool truncated; std::size_t storedText;
                  std::size_t storedTones; };
    for (const Case& c : {Case{60, 161, false, 60, 161}, {61, 0, true, 60, 0},
                          {0, 162, true, 0, 161}, {61, 162, true, 60, 161},
                          {200, 200, true, 60, 161}, {0, 0, false, 0, 0}}) {
        DeviceConfig config;
        config.morseText = std::string(c.text, 'x');
        config.tones = test::toneRun(200, 3);
        config.toneCount = static_cast<std::int32_t>(c.tones);
        const auto run = encode(config);
        const std::string label = std::to_string(c.text) + "/" + std::to_string(c.tones);
        EXPECT_EQ(run.truncated, c.truncated) << label;
        EXPECT_EQ(run.notices, c.truncated ? 1 : 0) << label;
        EXPECT_EQ(run.config.morseText.size(), c.text) << "record keeps the full text";
        EXPECT_EQ(run.image[22 + c.storedText], 0) << label;
        EXPECT_EQ(run.image[83 + c.storedTones], 0) << label;
        EXPECT_EQ(run.image[245], 0xA8) << label;
        for (std::size_t i = 22 + c.storedText; i < 83; ++i) EXPECT_EQ(run.image[i], 0) << i;
        for (std::size_t i = 83 + c.storedTones; i < 245; ++i) EXPECT_EQ(run.image[i], 0) << i;
        for (std::size_t i = 246; i < kImageSize; ++i) EXPECT_EQ(run.image[i], 0) << i;

        const DeviceConfig back = decode(run.image);
        EXPECT_EQ(back.morseText, std::string(c.storedText, 'x')) << label;
        EXPECT_EQ(back.toneCount, static_cast<std::int32_t>(c.storedTones)) << label;
    }
}

TEST(TarselLayout, ZeroToneEndsTheListOnDecode) {
    DeviceConfig config;
    config.tones = test::toneRun(10, 5);
    config.tones[6] = 0;
    config.toneCount = 10;
    const auto run = encode(config);
    EXPECT_EQ(run.image[83 + 7], 5);
    EXPECT_EQ(decode(run.image).toneCount, 6);
}

TEST(TarselLayout, AllOnesImage) {
    const DeviceConfig back = decode(test::filledImage(0xFF));
    EXPECT_EQ(back.morseText, std::string(234, '\xFF'));
    EXPECT_EQ(back.morseSpeedWpm, 0);
    EXPECT_EQ(back.morseTone, 255);
    EXPECT_EQ(back.toneSpeedMs, 1275);
    for (int v : {back.preTonesDelaySec, back.tonesDurationSec, back.loopTimeSec,
                  back.initialDelayMin, back.totalRuntimeMin}) {
        EXPECT_EQ(v, 15555);
    }
    EXPECT_EQ(back.unlockCode, 5555);
    EXPECT_FLOAT_EQ(back.txFrequencyMHz, 156.665f);
    EXPECT_FLOAT_EQ(back.rxFrequencyMHz, 156.665f);
    EXPECT_NEAR(back.calibrationPercent, -69.482, 1e-3);
    EXPECT_EQ(back.randomTones + back.randomSpeed + back.randomMorse + back.autoStart +
                  back.disableRx, 5);
    EXPECT_EQ(back.toneCount, 173);
    EXPECT_EQ(back.tones[172], 255);
}

TEST(TarselLayout, AllZeroImage) {
    const DeviceConfig back = decode(ConfigImage{});
    EXPECT_EQ(back.morseText, "");
    EXPECT_EQ(back.morseSpeedWpm, 0);
    EXPECT_EQ(back.preTonesDelaySec + back.tonesDurationSec + back.loopTimeSec +
                  back.initialDelayMin + back.totalRuntimeMin, 0);
    EXPECT_EQ(back.unlockCode, 0);
    EXPECT_FLOAT_EQ(back.txFrequencyMHz, 140.0f);
    EXPECT_FLOAT_EQ(back.rxFrequencyMHz, 140.0f);
    EXPECT_TRUE(std::isinf(back.calibrationPercent) && back.calibrationPercent > 0);
    EXPECT_EQ(back.randomTones + back.disableRx, 0);
    EXPECT_EQ(back.toneCount, 0);
}

TEST(TarselLayout, WrongLengthLeavesRecordUntouched) {
    for (std::int32_t length : {0, 200, 255, 257, 300}) {
        BeaconDevice device = test::deviceWithImage(test::filledImage(0x55));
        device.images.receivedLength = length;
        decodeTarsel(device);
        EXPECT_EQ(device.statusText, image_text::kCorruptedEeprom) << length;
        EXPECT_EQ(device.config, DeviceConfig{}) << length;
    }
}

}  // namespace
}  // namespace wb
