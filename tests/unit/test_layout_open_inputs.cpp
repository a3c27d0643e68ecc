// Inputs the beacon has no meaning for: every encode must finish, write
// only inside the image, and store the documented bytes. Run under the
// sanitizer build as well, where any out-of-range conversion would trap.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "image/basic_layout.h"
#include "image/byte_fields.h"
#include "image/tarsel_layout.h"
#include "support/image_harness.h"

namespace wb {
namespace {

using test::bytes;
using test::slice;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kMax = std::numeric_limits<float>::max();
constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();

int basicSteps(float mhz, bool noLimit) {
    DeviceConfig config;
    config.txFrequencyMHz = mhz;
    const auto image = test::runEncoder(encodeBasic, config, noLimit).image;
    return image[9] | image[10] << 8;
}

std::vector<std::uint8_t> tarselTx(float mhz, bool noLimit) {
    DeviceConfig config;
    config.txFrequencyMHz = mhz;
    return slice(test::runEncoder(encodeTarsel, config, noLimit).image, 10, 2);
}

std::vector<std::uint8_t> tarselRx(float mhz) {
    DeviceConfig config;
    config.rxFrequencyMHz = mhz;
    return slice(test::runEncoder(encodeTarsel, config).image, 12, 2);
}

TEST(LayoutOpenInputs, NaNFrequencyFailsTheBandTest) {
    EXPECT_EQ(basicSteps(kNaN, false), 29313);
    EXPECT_EQ(tarselTx(kNaN, false), bytes({0x65, 0x65}));
}

TEST(LayoutOpenInputs, FrequenciesWithoutMeaningStoreZero) {
    // NaN, infinities and negative values: 0 steps / 0 kHz.
    for (float mhz : {kNaN, kInf, -kInf, -146.565f, -0.001f, -kMax}) {
        EXPECT_EQ(basicSteps(mhz, true), 0) << mhz;
        EXPECT_EQ(tarselTx(mhz, true), bytes({0, 0})) << mhz;
        EXPECT_EQ(tarselRx(mhz), bytes({0, 0})) << mhz;
    }
    // Just below zero still rounds to zero, as in range.
    EXPECT_EQ(basicSteps(-0.0024f, true), 0);
}

TEST(LayoutOpenInputs, HugeFrequenciesKeepTheirLowPart) {
    // 1e7 MHz is 2e9 steps (above 32 bits signed): low 16 bits of 2e12.
    EXPECT_EQ(basicSteps(1e10f, true), static_cast<int>(2000000000000LL % 65536));
    EXPECT_EQ(basicSteps(kMax, true), 0);  // a multiple of 2^16
    // 2147483750 kHz is past the signed 32-bit range: digits 3750.
    EXPECT_EQ(tarselTx(2147483.75f, true), bytes({0x50, 0x37}));
    EXPECT_EQ(tarselRx(2147483.75f), bytes({0x50, 0x37}));
    EXPECT_EQ(tarselRx(kMax), bytes({0, 0}));
}

TEST(LayoutOpenInputs, Calibration) {
    struct Case { float percent; int basicWord; int tarselWord; };
    for (const Case& c : {
             Case{-100.0f, 0, 0},            // zero divisor
             {kInf, 0, 0},                   // quotient 0
             {-kInf, 0, 0},                  // quotient -0
             {kNaN, 0, 0},                   // no meaning: 0
             {-150.0f, 0, 0},                // negative divisor: 0
             {-1e30f, 0, 0},                 // tiny negative quotient rounds to 0
             {-99.999f, 0xEC00, 0x5A00},     // beyond 32 bits / beyond 16: low bits
             {-99.99999f, 0, 0},             // 409600000000: low 16 bits are 0
         }) {
        DeviceConfig config;
        config.calibrationPercent = c.percent;
        const auto basic = test::runEncoder(encodeBasic, config).image;
        const auto tarsel = test::runEncoder(encodeTarsel, config).image;
        EXPECT_EQ(basic[11] | basic[12] << 8, c.basicWord) << c.percent;
        EXPECT_EQ(tarsel[16] | tarsel[17] << 8, c.tarselWord) << c.percent;
    }
}

TEST(LayoutOpenInputs, NegativeUnlockCodeUsesItsMagnitude) {
    struct Case { std::int32_t code; int b14; int b15; };
    for (const Case& c : {Case{-907, 0xA7, 0xA9}, {-1, 0xA1, 0xAA},
                          {kIntMin, 0x48, 0x36},  // 2147483648
                          {kIntMax, 0x47, 0x36}}) {
        DeviceConfig config;
        config.unlockCode = c.code;
        EXPECT_EQ(slice(test::runEncoder(encodeTarsel, config).image, 14, 2), bytes({c.b14, c.b15}))
            << c.code;
    }
}

TEST(LayoutOpenInputs, ExtremeIntegersClamp) {
    for (std::int32_t v : {kIntMin, kIntMax}) {
        DeviceConfig config;
        config.morseSpeedWpm = config.morseTone = config.toneSpeedMs = config.tonesDurationSec =
            config.preTonesDelaySec = config.loopTimeSec = config.initialDelayMin =
                config.totalRuntimeMin = config.toneCount = v;
        config.tones = test::toneRun(200, 7);
        const bool high = v > 0;
        const auto basic = test::runEncoder(encodeBasic, config);
        EXPECT_EQ(basic.config.morseSpeedWpm, high ? kIntMax : 3);
        EXPECT_EQ(basic.image[5], high ? 3 : 85);
        EXPECT_EQ(basic.image[6], high ? 255 : 0);
        EXPECT_EQ(basic.image[2], high ? 255 : 0);
        EXPECT_EQ(slice(basic.image, 3, 2), high ? bytes({0xFF, 0xFF}) : bytes({0, 0}));
        // A toneCount past the list's capacity reads only its 200 entries,
        // a negative one none.
        EXPECT_FALSE(basic.truncated);
        EXPECT_EQ(basic.image[0], 27);
        if (high) {
            EXPECT_EQ(slice(basic.image, 226, 2), bytes({7, 0}));
        } else {
            EXPECT_EQ(basic.image[27], 0);
        }

        const auto tarsel = test::runEncoder(encodeTarsel, config);
        EXPECT_EQ(tarsel.image[19], high ? 8 : 80);
        EXPECT_EQ(tarsel.image[18], high ? 255 : 0);
        EXPECT_EQ(slice(tarsel.image, 6, 4),
                  high ? bytes({0x3B, 0xFF, 0x3B, 0xFF}) : bytes({0, 0, 0, 0}));
        EXPECT_EQ(tarsel.truncated, high);
        EXPECT_EQ(tarsel.image[high ? 244 : 83], 0);
        EXPECT_EQ(tarsel.image[245], 0xA8);
    }
}

TEST(LayoutOpenInputs, ByteFieldHelpers) {
    EXPECT_EQ(roundedModulo(29313.0005, 65536.0), 29313u);
    EXPECT_EQ(roundedModulo(65535.5, 65536.0), 0u);  // rounds to 65536
    EXPECT_EQ(roundedModulo(-0.9, 65536.0), 0u);
    EXPECT_EQ(roundedModulo(1e300, 65536.0), 0u);
    EXPECT_EQ(roundedModulo(123456789.0, 10000.0), 6789u);
    EXPECT_EQ(roundedModulo(std::numeric_limits<double>::quiet_NaN(), 10.0), 0u);

    EXPECT_TRUE(std::isinf(toSingle(1e39)) && toSingle(1e39) > 0);
    EXPECT_TRUE(std::isinf(toSingle(-1e300)) && toSingle(-1e300) < 0);
    EXPECT_EQ(toSingle(3.4028234e38), kMax);
    EXPECT_TRUE(std::isnan(toSingle(std::numeric_limits<double>::quiet_NaN())));
}

}  // namespace
}  // namespace wb
