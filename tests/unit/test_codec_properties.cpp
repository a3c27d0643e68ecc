// Encode -> decode -> encode must give the very same image: whatever the
// record held, what the beacon stores is a fixed point of the codec.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>

#include "config/model_table.h"
#include "image/basic_layout.h"
#include "image/tarsel_layout.h"
#include "support/image_harness.h"

namespace wb {
namespace {

// mt19937 output is fixed by the standard; distributions are not, so the
// ranges are mapped by hand to keep every platform on the same records.
class Generator {
public:
    explicit Generator(std::uint32_t seed) : engine_(seed) {}

    std::int32_t between(std::int32_t lo, std::int32_t hi) {
        const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(hi) - lo) + 1;
        return static_cast<std::int32_t>(lo + static_cast<std::int64_t>(engine_() % span));
    }

    std::int32_t integer() {
        switch (between(0, 3)) {
            case 0: return between(-100, 400);
            case 1: return between(0, 70000);
            case 2: return between(std::numeric_limits<std::int32_t>::min(), -1);
            default: return between(0, std::numeric_limits<std::int32_t>::max());
        }
    }

    float frequency() {
        switch (between(0, 5)) {
            case 0: return static_cast<float>(between(144000, 148000)) / 1000.0f;
            case 1: return static_cast<float>(between(0, 500000)) / 1000.0f;
            case 2: return -static_cast<float>(between(0, 500000)) / 1000.0f;
            case 3: return special();
            default: return static_cast<float>(between(139000, 160000)) / 1000.0f;
        }
    }

    float percent() {
        switch (between(0, 3)) {
            case 0: return static_cast<float>(between(-10000, 10000)) / 100.0f;
            case 1: return static_cast<float>(between(-1000000, -990000)) / 10000.0f;
            case 2: return special();
            default: return static_cast<float>(between(-300, 1000000));
        }
    }

    std::uint8_t nonZeroByte() { return static_cast<std::uint8_t>(between(1, 255)); }

private:
    float special() {
        constexpr float kValues[] = {std::numeric_limits<float>::quiet_NaN(),
                                     std::numeric_limits<float>::infinity(),
                                     -std::numeric_limits<float>::infinity(),
                                     std::numeric_limits<float>::max(), -100.0f, 0.0f};
        return kValues[between(0, 5)];
    }

    std::mt19937 engine_;
};

// A 0 inside the text or the tone list ends it on decode, so generated
// lists hold only non-zero bytes; everything else is unrestricted.
DeviceConfig randomRecord(Generator& gen, DeviceModel model) {
    DeviceConfig c;
    c.model = model;
    c.morseText.resize(static_cast<std::size_t>(gen.between(0, 260)));
    for (char& ch : c.morseText) ch = static_cast<char>(gen.nonZeroByte());
    c.morseSpeedWpm = gen.integer();
    c.morseTone = gen.integer();
    c.toneSpeedMs = gen.integer();
    c.tonesDurationSec = gen.integer();
    c.preTonesDelaySec = gen.integer();
    c.loopTimeSec = gen.integer();
    c.txFrequencyMHz = gen.frequency();
    c.rxFrequencyMHz = gen.frequency();
    c.calibrationPercent = gen.percent();
    for (auto& tone : c.tones) tone = gen.nonZeroByte();
    c.toneCount = gen.between(0, 3) == 0 ? gen.integer() : gen.between(0, 200);
    c.ledEnabled = static_cast<std::uint8_t>(gen.between(0, 2));
    c.randomTones = static_cast<std::uint8_t>(gen.between(0, 1));
    c.randomSpeed = static_cast<std::uint8_t>(gen.between(0, 3));
    c.randomMorse = static_cast<std::uint8_t>(gen.between(0, 1));
    c.autoStart = static_cast<std::uint8_t>(gen.between(0, 1));
    c.disableRx = static_cast<std::uint8_t>(gen.between(0, 1));
    c.unlockCode = gen.integer();
    c.initialDelayMin = gen.integer();
    c.totalRuntimeMin = gen.integer();
    return c;
}

template <typename Encoder, typename Decoder>
void checkFixedPoint(Encoder encode, Decoder decode, DeviceModel model, std::uint32_t seed) {
    Generator gen(seed);
    for (int i = 0; i < 3000; ++i) {
        const DeviceConfig record = randomRecord(gen, model);
        const bool noLimit = gen.between(0, 1) == 1;
        const auto first = test::runEncoder(encode, record, noLimit);

        BeaconDevice device = test::deviceWithImage(first.image, first.config);
        decode(device);
        const auto second = test::runEncoder(encode, device.config, noLimit);
        ASSERT_EQ(second.image, first.image) << "record " << i;
        EXPECT_FALSE(second.truncated) << "record " << i << ": a decoded image always fits";
    }
}

TEST(CodecProperties, BasicImageIsAFixedPoint) {
    checkFixedPoint(encodeBasic, decodeBasic, kBasicModel, 20261207u);
}

TEST(CodecProperties, TarselImageIsAFixedPoint) {
    checkFixedPoint(encodeTarsel, decodeTarsel, kTarselModel, 146565u);
}

}  // namespace
}  // namespace wb
