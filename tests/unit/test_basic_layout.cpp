#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "image/basic_layout.h"
#include "image/image_texts.h"
#include "support/image_harness.h"

namespace wb {
namespace {

using test::bytes;
using test::slice;

test::EncodeRun encode(const DeviceConfig& config, bool noLimit = false) {
    return test::runEncoder(encodeBasic, config, noLimit);
}

DeviceConfig decode(const ConfigImage& image, const DeviceConfig& start = {}) {
    BeaconDevice device = test::deviceWithImage(image, start);
    decodeBasic(device);
    EXPECT_EQ(device.statusText, image_text::kReadConfigSuccessful);
    return device.config;
}

TEST(BasicLayout, FactoryDefaultImage) {
    const auto run = encode(DeviceConfig{});
    EXPECT_FALSE(run.truncated);
    EXPECT_EQ(run.notices, 0);
    ConfigImage expected{};
    const auto header = bytes({0x1B, 0x10, 0x19, 0x0F, 0x00, 0x1E, 0x1A, 0x1E, 0x00, 0x81, 0x72,
                               0x12, 0x7A, 0x01, 0x00, 0x00});
    std::copy(header.begin(), header.end(), expected.begin());
    const std::string text = " WRENBOLT ";
    std::copy(text.begin(), text.end(), expected.begin() + 16);
    const ToneList tones = factoryTones();
    std::copy(tones.begin(), tones.begin() + 64, expected.begin() + 27);
    EXPECT_EQ(run.image, expected);

    const DeviceConfig back = decode(run.image);
    EXPECT_EQ(back, DeviceConfig{});
}

TEST(BasicLayout, MorseSpeed) {
    struct Case { int wpm; int recordAfter; int byte; int decoded; };
    for (const Case& c : {Case{2, 3, 85, 7}, {-5, 3, 85, 7}, {3, 3, 85, 7}, {8, 8, 75, 8},
                         {13, 13, 46, 13}, {20, 20, 30, 20}, {200, 200, 3, 200},
                         {201, 201, 3, 200}, {250, 250, 3, 200}}) {
        DeviceConfig config;
        config.morseSpeedWpm = c.wpm;
        const auto run = encode(config);
        EXPECT_EQ(run.config.morseSpeedWpm, c.recordAfter) << c.wpm;
        EXPECT_EQ(run.image[5], c.byte) << c.wpm;
        EXPECT_EQ(decode(run.image).morseSpeedWpm, c.decoded) << c.wpm;
    }
    for (const auto& [byte, wpm] : {std::pair{0, 0}, {255, 2}, {1, 600}}) {
        ConfigImage image{};
        image[5] = static_cast<std::uint8_t>(byte);
        EXPECT_EQ(decode(image).morseSpeedWpm, wpm) << byte;
    }
}

TEST(BasicLayout, ToneAndToneStep) {
    struct Case { int ms; int byte; int decoded; };
    for (const Case& c : {Case{51, 25, 50}, {1, 0, 0}, {-3, 0, 0}, {600, 255, 510},
                         {510, 255, 510}, {512, 255, 510}}) {
        DeviceConfig config;
        config.toneSpeedMs = c.ms;
        const auto run = encode(config);
        EXPECT_EQ(run.image[2], c.byte) << c.ms;
        EXPECT_EQ(decode(run.image).toneSpeedMs, c.decoded) << c.ms;
    }
    for (const auto& [tone, byte] : {std::pair{-1, 0}, {0, 0}, {255, 255}, {256, 255}}) {
        DeviceConfig config;
        config.morseTone = tone;
        EXPECT_EQ(encode(config).image[6], byte) << tone;
    }
}

TEST(BasicLayout, SixteenBitTimes) {
    struct Case { int value; int lo; int hi; int decoded; };
    for (const Case& c : {Case{300, 0x2C, 0x01, 300}, {70000, 0xFF, 0xFF, 65535},
                         {65535, 0xFF, 0xFF, 65535}, {-1, 0, 0, 0}}) {
        DeviceConfig config;
        config.tonesDurationSec = c.value;
        config.loopTimeSec = c.value;
        config.preTonesDelaySec = c.value;
        const auto run = encode(config);
        for (std::size_t offset : {3u, 7u, 14u}) {
            EXPECT_EQ(slice(run.image, offset, 2), bytes({c.lo, c.hi})) << c.value;
        }
        const DeviceConfig back = decode(run.image);
        EXPECT_EQ(back.tonesDurationSec, c.decoded);
        EXPECT_EQ(back.loopTimeSec, c.decoded);
        EXPECT_EQ(back.preTonesDelaySec, c.decoded);
    }
}

TEST(BasicLayout, TxFrequency) {
    struct Case { float mhz; bool noLimit; int steps; float decoded; };
    for (const Case& c : {Case{146.565f, false, 29313, 146.565f}, {146.567f, false, 29313, 146.565f},
                         {146.568f, false, 29314, 146.570f}, {144.0f, false, 28800, 144.0f},
                         {148.0f, false, 29600, 148.0f}, {143.0f, false, 29313, 146.565f},
                         {148.001f, false, 29313, 146.565f}, {143.0f, true, 28600, 143.0f},
                         {400.0f, true, 14464, 72.32f}, {327.675f, true, 65535, 327.675f}}) {
        DeviceConfig config;
        config.txFrequencyMHz = c.mhz;
        const auto run = encode(config, c.noLimit);
        EXPECT_EQ(run.image[9] | run.image[10] << 8, c.steps) << c.mhz << " " << c.noLimit;
        EXPECT_EQ(run.config.txFrequencyMHz, c.mhz) << "the record keeps what was typed";
        EXPECT_FLOAT_EQ(decode(run.image).txFrequencyMHz, c.decoded) << c.mhz;
    }
}

TEST(BasicLayout, Calibration) {
    struct Case { float percent; int word; };
    for (const Case& c : {Case{0.0f, 31250}, {10.0f, 28409}, {-50.0f, 62500}, {-60.0f, 12589},
                         {-100.0f, 0}, {INFINITY, 0}}) {
        DeviceConfig config;
        config.calibrationPercent = c.percent;
        const auto run = encode(config);
        EXPECT_EQ(run.image[11] | run.image[12] << 8, c.word) << c.percent;
    }
    struct Back { int word; double percent; double tolerance; };
    for (const Back& b : {Back{28409, 10.00035, 1e-5}, {62500, -50.0, 0.0}, {12589, 148.233, 1e-3},
                         {65535, -52.316, 1e-3}}) {
        ConfigImage image{};
        image[11] = static_cast<std::uint8_t>(b.word);
        image[12] = static_cast<std::uint8_t>(b.word >> 8);
        EXPECT_NEAR(decode(image).calibrationPercent, b.percent, b.tolerance) << b.word;
    }
    const float infinite = decode(ConfigImage{}).calibrationPercent;
    EXPECT_TRUE(std::isinf(infinite) && infinite > 0);
}

TEST(BasicLayout, LedAndUncarriedMembers) {
    DeviceConfig config;
    config.ledEnabled = 7;
    EXPECT_EQ(encode(config).image[13], 1);
    config.ledEnabled = 0;
    EXPECT_EQ(encode(config).image[13], 0);

    // Bit 0 only; Tarsel members survive a Basic decode.
    DeviceConfig start;
    start.rxFrequencyMHz = 150.0f;
    start.unlockCode = 1234;
    start.initialDelayMin = 9;
    start.totalRuntimeMin = 99;
    start.randomTones = start.randomSpeed = start.randomMorse = start.autoStart =
        start.disableRx = 1;
    ConfigImage image{};
    image[13] = 0xFE;
    DeviceConfig back = decode(image, start);
    EXPECT_EQ(back.ledEnabled, 0);
    EXPECT_EQ(back.rxFrequencyMHz, 150.0f);
    EXPECT_EQ(back.unlockCode, 1234);
    EXPECT_EQ(back.initialDelayMin, 9);
    EXPECT_EQ(back.totalRuntimeMin, 99);
    EXPECT_EQ(back.randomTones + back.randomSpeed + back.randomMorse + back.autoStart +
                  back.disableRx, 5);
    image[13] = 0x03;
    EXPECT_EQ(decode(image).ledEnabled, 1);
}

struct AreaCase {
    std::size_t textLength;
    std::size_t toneCount;
    bool truncated;
    std::size_t storedText;
    std::size_t storedTones;
};

TEST(BasicLayout, TextAndTonesShareTheArea) {
    for (const AreaCase& c : {AreaCase{0, 0, false, 0, 0}, {38, 200, false, 38, 200},
                             {39, 200, true, 39, 199}, {0, 200, false, 0, 200},
                             {239, 0, false, 239, 0}, {239, 1, true, 239, 0},
                             {240, 0, true, 239, 0}, {300, 200, true, 239, 0}}) {
        DeviceConfig config;
        config.morseText = std::string(c.textLength, 'A');
        config.tones = test::toneRun(200, 7);
        config.toneCount = static_cast<std::int32_t>(c.toneCount);
        const auto run = encode(config);
        const std::string label = std::to_string(c.textLength) + "/" + std::to_string(c.toneCount);
        EXPECT_EQ(run.truncated, c.truncated) << label;
        EXPECT_EQ(run.notices, c.truncated ? 1 : 0) << label;
        EXPECT_EQ(run.config.morseText.size(), c.textLength) << "record keeps the full text";

        const std::size_t toneStart = std::min<std::size_t>(16 + c.storedText + 1, 255);
        EXPECT_EQ(run.image[1], 16);
        EXPECT_EQ(run.image[0], toneStart) << label;
        EXPECT_EQ(run.image[16 + c.storedText], 0) << label;
        const std::size_t end = std::min<std::size_t>(toneStart + c.storedTones, 255);
        EXPECT_EQ(run.image[end], 0) << label;
        for (std::size_t i = end + 1; i < kImageSize; ++i) EXPECT_EQ(run.image[i], 0) << i;

        const DeviceConfig back = decode(run.image);
        EXPECT_EQ(back.morseText, std::string(c.storedText, 'A')) << label;
        EXPECT_EQ(back.toneCount, static_cast<std::int32_t>(c.storedTones)) << label;
    }
}

TEST(BasicLayout, EmptyTextNoTones) {
    DeviceConfig config;
    config.morseText.clear();
    config.toneCount = 0;
    const auto run = encode(config);
    EXPECT_EQ(slice(run.image, 0, 2), bytes({17, 16}));
    EXPECT_EQ(slice(run.image, 16, 2), bytes({0, 0}));
}

TEST(BasicLayout, ZeroToneEndsTheListOnDecode) {
    DeviceConfig config;
    config.tones = test::toneRun(10, 5);
    config.tones[4] = 0;
    config.toneCount = 10;
    const auto run = encode(config);
    EXPECT_EQ(run.image[27 + 4], 0);
    EXPECT_EQ(run.image[27 + 5], 5) << "entries after a zero are still written";
    EXPECT_EQ(decode(run.image).toneCount, 4);
}

TEST(BasicLayout, DecodeFollowsStoredOffsets) {
    ConfigImage image = test::filledImage(0x41);
    image[1] = 100;
    image[0] = 2;
    image[120] = 0;
    DeviceConfig back = decode(image);
    EXPECT_EQ(back.morseText, std::string(20, 'A'));
    // From offset 2 the tone list runs into everything, but stops at 200.
    image = test::filledImage(9);
    image[0] = 2;
    back = decode(image);
    EXPECT_EQ(back.toneCount, 200);
}

TEST(BasicLayout, AllOnesImage) {
    const DeviceConfig back = decode(test::filledImage(0xFF));
    EXPECT_EQ(back.morseText, std::string(1, '\xFF'));
    EXPECT_EQ(back.morseSpeedWpm, 2);
    EXPECT_EQ(back.morseTone, 255);
    EXPECT_EQ(back.toneSpeedMs, 510);
    EXPECT_EQ(back.tonesDurationSec, 65535);
    EXPECT_EQ(back.loopTimeSec, 65535);
    EXPECT_EQ(back.preTonesDelaySec, 65535);
    EXPECT_FLOAT_EQ(back.txFrequencyMHz, 327.675f);
    EXPECT_NEAR(back.calibrationPercent, -52.316, 1e-3);
    EXPECT_EQ(back.ledEnabled, 1);
    EXPECT_EQ(back.toneCount, 1);
    EXPECT_EQ(back.tones[0], 255);
}

TEST(BasicLayout, AllZeroImage) {
    const DeviceConfig back = decode(ConfigImage{});
    EXPECT_EQ(back.morseText, "");
    EXPECT_EQ(back.toneCount, 0);
    EXPECT_EQ(back.morseSpeedWpm, 0);
    EXPECT_EQ(back.tonesDurationSec + back.loopTimeSec + back.preTonesDelaySec, 0);
    EXPECT_EQ(back.txFrequencyMHz, 0.0f);
    EXPECT_TRUE(std::isinf(back.calibrationPercent));
    EXPECT_EQ(back.ledEnabled, 0);
}

TEST(BasicLayout, WrongLengthLeavesRecordUntouched) {
    for (std::int32_t length : {0, 255, 257, 300, -1}) {
        BeaconDevice device = test::deviceWithImage(ConfigImage{});
        device.images.receivedLength = length;
        decodeBasic(device);
        EXPECT_EQ(device.statusText, image_text::kCorruptedEeprom) << length;
        EXPECT_EQ(device.config, DeviceConfig{}) << length;
    }
}

}  // namespace
}  // namespace wb
