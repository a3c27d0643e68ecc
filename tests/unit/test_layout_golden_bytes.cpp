// The bytes each model's layout stores, and what it reads back: one table
// per model, the model's own offsets, clamps and rounding. What every layout
// must do whatever its bytes is in test_layouts_every_model.cpp.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/record_fields.h"
#include "image/byte_fields.h"
#include "image/model_table.h"
#include "support/image_harness.h"

namespace wb {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kFloatMax = std::numeric_limits<float>::max();
constexpr double kIntMin = std::numeric_limits<std::int32_t>::min();
constexpr double kIntMax = std::numeric_limits<std::int32_t>::max();

const ModelInfo& rowOf(DeviceModel model) {
    const ModelInfo* row = findModel(model);
    if (row == nullptr) ADD_FAILURE() << "no row for model " << static_cast<int>(model);
    return row != nullptr ? *row : kModels.front();
}

// A member by its JSON key, as a number: text as its length.
double member(const DeviceConfig& config, std::string_view key) {
    if (key == "morseText") return static_cast<double>(config.morseText.size());
    if (key == "toneCount") return config.toneCount;
    const RecordField* field = findRecordField(key);
    if (field != nullptr && field->integer != nullptr) return config.*field->integer;
    if (field != nullptr && field->decimal != nullptr) return config.*field->decimal;
    if (field != nullptr && field->flag != nullptr) return config.*field->flag;
    ADD_FAILURE() << "no number member " << key;
    return 0;
}

void setMember(DeviceConfig& config, std::string_view key, double value) {
    const RecordField* field = findRecordField(key);
    if (field != nullptr && field->integer != nullptr) {
        config.*field->integer = static_cast<std::int32_t>(value);
    } else if (field != nullptr && field->decimal != nullptr) {
        config.*field->decimal = static_cast<float>(value);
    } else if (field != nullptr && field->flag != nullptr) {
        config.*field->flag = static_cast<std::uint8_t>(value);
    } else {
        ADD_FAILURE() << "no number member " << key;
    }
}

// --- Factory images -------------------------------------------------------

// The default record (with another unlock code, where given) encodes to the
// header, the ten text bytes and the 64 factory tones at the layout's
// places, the marker, and 0 everywhere else.
struct FactoryImage {
    DeviceModel model;
    std::int32_t unlockCode;
    Bytes header;
    std::size_t textAt;
    std::size_t tonesAt;
    std::vector<std::pair<std::size_t, std::uint8_t>> marker;
};

const std::vector<FactoryImage> kFactoryImages{
    {kBasicModel, DeviceConfig{}.unlockCode,
     {0x1B, 0x10, 0x19, 0x0F, 0x00, 0x1E, 0x1A, 0x1E, 0x00, 0x81, 0x72, 0x12, 0x7A, 0x01, 0x00, 0x00}, 16, 27, {}},
    {kTarselModel, 907,
     {0x00, 0x00, 0x0F, 0x00, 0x1E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x65,
      0x65, 0x65, 0x65, 0xA7, 0xA9, 0x20, 0x4E, 0x0A, 0x0C, 0x1A, 0x00},
     22, 83, {{245, 0xA8}}},
};

TEST(LayoutGoldenBytes, FactoryImages) {
    for (const FactoryImage& f : kFactoryImages) {
        DeviceConfig record;
        record.model = f.model;
        record.unlockCode = f.unlockCode;
        const EncodedImage encoded = rowOf(f.model).encode(record, false);
        ConfigImage expected{};
        std::copy(f.header.begin(), f.header.end(), expected.begin());
        std::copy(record.morseText.begin(), record.morseText.end(),
                  expected.begin() + static_cast<std::ptrdiff_t>(f.textAt));
        std::copy_n(record.tones.begin(), kFactoryToneCount,
                    expected.begin() + static_cast<std::ptrdiff_t>(f.tonesAt));
        for (const auto& [offset, value] : f.marker) expected[offset] = value;
        EXPECT_EQ(encoded.image, expected) << modelName(f.model);
        EXPECT_FALSE(encoded.cut()) << modelName(f.model);
    }
}

// --- Encoding: bytes stored, and the value read back ----------------------

// Every member named gets `value`; each stores its bytes at its offset and
// reads back as `back` (not checked where empty).
struct Stored {
    std::string_view key;
    std::size_t offset;
    Bytes bytes;
    std::optional<double> back;
};
struct EncodeRow {
    DeviceModel model;
    double value;
    bool noLimit;
    std::vector<Stored> stored;
};

EncodeRow one(DeviceModel model, std::string_view key, double value, std::size_t offset, Bytes bytes,
              std::optional<double> back = std::nullopt, bool noLimit = false) {
    return {model, value, noLimit, {{key, offset, std::move(bytes), back}}};
}

// The same value in each of a model's time members: both layouts store them
// alike, each in its own pair of bytes.
EncodeRow times(DeviceModel model, double value, Bytes bytes, std::optional<double> back) {
    const std::vector<std::pair<std::string_view, std::size_t>> places =
        model == kBasicModel
            ? std::vector<std::pair<std::string_view, std::size_t>>{{"tonesDurationSec", 3},
                                                                   {"loopTimeSec", 7},
                                                                   {"preTonesDelaySec", 14}}
            : std::vector<std::pair<std::string_view, std::size_t>>{{"preTonesDelaySec", 0},
                                                                   {"tonesDurationSec", 2},
                                                                   {"loopTimeSec", 4},
                                                                   {"initialDelayMin", 6},
                                                                   {"totalRuntimeMin", 8}};
    EncodeRow row{model, value, false, {}};
    for (const auto& [key, offset] : places) row.stored.push_back({key, offset, bytes, back});
    return row;
}

// The Basic layout stores the TX frequency as a 16-bit count of 5 kHz steps.
EncodeRow basicTx(double mhz, bool noLimit, int steps, std::optional<double> back = std::nullopt) {
    return one(kBasicModel, "txFrequencyMHz", mhz, 9,
               {static_cast<std::uint8_t>(steps & 0xFF), static_cast<std::uint8_t>(steps >> 8)}, back, noLimit);
}

constexpr DeviceModel B = kBasicModel;
constexpr DeviceModel T = kTarselModel;

const std::vector<EncodeRow> kEncodeRows{
    // Basic: speed byte 600 / WPM, 3..85.
    one(B, "morseSpeedWpm", 2, 5, {85}, 7), one(B, "morseSpeedWpm", -5, 5, {85}, 7),
    one(B, "morseSpeedWpm", 3, 5, {85}, 7), one(B, "morseSpeedWpm", 8, 5, {75}, 8),
    one(B, "morseSpeedWpm", 13, 5, {46}, 13), one(B, "morseSpeedWpm", 20, 5, {30}, 20),
    one(B, "morseSpeedWpm", 200, 5, {3}, 200), one(B, "morseSpeedWpm", 201, 5, {3}, 200),
    one(B, "morseSpeedWpm", 250, 5, {3}, 200), one(B, "morseSpeedWpm", kIntMax, 5, {3}, 200),
    one(B, "morseSpeedWpm", kIntMin, 5, {85}, 7),
    // Basic: tone step in 2 ms, Morse tone.
    one(B, "toneSpeedMs", 51, 2, {25}, 50), one(B, "toneSpeedMs", 1, 2, {0}, 0),
    one(B, "toneSpeedMs", -3, 2, {0}, 0), one(B, "toneSpeedMs", 600, 2, {255}, 510),
    one(B, "toneSpeedMs", 510, 2, {255}, 510), one(B, "toneSpeedMs", 512, 2, {255}, 510),
    one(B, "toneSpeedMs", kIntMax, 2, {255}), one(B, "toneSpeedMs", kIntMin, 2, {0}),
    one(B, "morseTone", -1, 6, {0}, 0), one(B, "morseTone", 0, 6, {0}, 0), one(B, "morseTone", 255, 6, {255}, 255),
    one(B, "morseTone", 256, 6, {255}, 255), one(B, "morseTone", kIntMax, 6, {255}),
    one(B, "morseTone", kIntMin, 6, {0}),
    // Basic: times as 16-bit words, 0..65535.
    times(B, 300, {0x2C, 0x01}, 300), times(B, 70000, {0xFF, 0xFF}, 65535), times(B, 65535, {0xFF, 0xFF}, 65535),
    times(B, -1, {0, 0}, 0), times(B, kIntMax, {0xFF, 0xFF}, 65535), times(B, kIntMin, {0, 0}, 0),
    // Basic: TX in 5 kHz steps, the band limit, and what has no meaning.
    basicTx(146.565, false, 29313, 146.565), basicTx(146.567, false, 29313, 146.565),
    basicTx(146.568, false, 29314, 146.570), basicTx(144.0, false, 28800, 144.0),
    basicTx(148.0, false, 29600, 148.0), basicTx(143.0, false, 29313, 146.565),
    basicTx(148.001, false, 29313, 146.565), basicTx(143.0, true, 28600, 143.0),
    basicTx(400.0, true, 14464, 72.32), basicTx(327.675, true, 65535, 327.675),
    basicTx(kNaN, false, 29313), basicTx(kNaN, true, 0), basicTx(kInf, true, 0), basicTx(-kInf, true, 0),
    basicTx(-146.565, true, 0), basicTx(-0.001, true, 0), basicTx(-kFloatMax, true, 0),
    basicTx(-0.0024, true, 0), basicTx(1e10, true, 0x2000), basicTx(kFloatMax, true, 0),
    // Basic: calibration word 31250 / (percent / 100 + 1).
    one(B, "calibrationPercent", 0, 11, {0x12, 0x7A}, 0), one(B, "calibrationPercent", 10, 11, {0xF9, 0x6E}),
    one(B, "calibrationPercent", -50, 11, {0x24, 0xF4}, -50), one(B, "calibrationPercent", -60, 11, {0x2D, 0x31}),
    one(B, "calibrationPercent", -100, 11, {0, 0}, kInf), one(B, "calibrationPercent", kInf, 11, {0, 0}, kInf),
    one(B, "calibrationPercent", -kInf, 11, {0, 0}), one(B, "calibrationPercent", kNaN, 11, {0, 0}),
    one(B, "calibrationPercent", -150, 11, {0, 0}), one(B, "calibrationPercent", -1e30, 11, {0, 0}),
    one(B, "calibrationPercent", -99.999, 11, {0x00, 0xEC}), one(B, "calibrationPercent", -99.99999, 11, {0, 0}),
    // Basic: the LED, bit 0.
    one(B, "ledEnabled", 7, 13, {1}, 1), one(B, "ledEnabled", 0, 13, {0}, 0),

    // Tarsel: speed byte 240 / WPM, at least 8.
    one(T, "morseSpeedWpm", 2, 19, {80}, 3), one(T, "morseSpeedWpm", -7, 19, {80}, 3),
    one(T, "morseSpeedWpm", 20, 19, {12}, 20), one(T, "morseSpeedWpm", 25, 19, {9}, 26),
    one(T, "morseSpeedWpm", 30, 19, {8}, 30), one(T, "morseSpeedWpm", 31, 19, {8}, 30),
    one(T, "morseSpeedWpm", 40, 19, {8}, 30), one(T, "morseSpeedWpm", kIntMax, 19, {8}, 30),
    one(T, "morseSpeedWpm", kIntMin, 19, {80}, 3),
    // Tarsel: tone step in 5 ms, Morse tone.
    one(T, "toneSpeedMs", 52, 18, {10}, 50), one(T, "toneSpeedMs", 4, 18, {0}, 0),
    one(T, "toneSpeedMs", -10, 18, {0}, 0), one(T, "toneSpeedMs", 2000, 18, {255}, 1275),
    one(T, "toneSpeedMs", kIntMax, 18, {255}), one(T, "toneSpeedMs", kIntMin, 18, {0}),
    one(T, "morseTone", -1, 20, {0}, 0), one(T, "morseTone", 255, 20, {255}, 255),
    one(T, "morseTone", 1000, 20, {255}, 255),
    // Tarsel: times as value mod 60 and value / 60, at most 255:59.
    times(T, 3725, {0x05, 0x3E}, 3725), times(T, 20000, {0x3B, 0xFF}, 15359), times(T, 15359, {0x3B, 0xFF}, 15359),
    times(T, -1, {0, 0}, 0), times(T, 59, {59, 0}, 59), times(T, 60, {0, 1}, 60),
    times(T, kIntMax, {0x3B, 0xFF}, 15359), times(T, kIntMin, {0, 0}, 0),
    // Tarsel: unlock code, four digits, 0 stored as 0xA; a negative code's magnitude.
    one(T, "unlockCode", 907, 14, {0xA7, 0xA9}, 907), one(T, "unlockCode", 0, 14, {0xAA, 0xAA}, 0),
    one(T, "unlockCode", 10203, 14, {0xA3, 0xA2}, 203), one(T, "unlockCode", 9999, 14, {0x99, 0x99}, 9999),
    one(T, "unlockCode", 5862, 14, {0x62, 0x58}, 5862), one(T, "unlockCode", -907, 14, {0xA7, 0xA9}),
    one(T, "unlockCode", -1, 14, {0xA1, 0xAA}), one(T, "unlockCode", kIntMin, 14, {0x48, 0x36}),
    one(T, "unlockCode", kIntMax, 14, {0x47, 0x36}),
    // Tarsel: TX as BCD kHz below 140 MHz, the band limit; RX without it.
    one(T, "txFrequencyMHz", 146.565, 10, {0x65, 0x65}, 146.565),
    one(T, "txFrequencyMHz", 145.0, 10, {0x00, 0x50}, 145.0), one(T, "txFrequencyMHz", 144.0, 10, {0x00, 0x40}, 144.0),
    one(T, "txFrequencyMHz", 148.0, 10, {0x00, 0x80}, 148.0),
    one(T, "txFrequencyMHz", 143.0, 10, {0x65, 0x65}, 146.565),
    one(T, "txFrequencyMHz", 148.001, 10, {0x65, 0x65}, 146.565),
    one(T, "txFrequencyMHz", 143.0, 10, {0x00, 0x30}, 143.0, true),
    one(T, "txFrequencyMHz", 150.0, 10, {0x00, 0x00}, 140.0, true),
    one(T, "txFrequencyMHz", 139.999, 10, {0x99, 0x99}, 149.999, true),
    one(T, "txFrequencyMHz", kNaN, 10, {0x65, 0x65}), one(T, "txFrequencyMHz", kNaN, 10, {0, 0}, {}, true),
    one(T, "txFrequencyMHz", kInf, 10, {0, 0}, {}, true), one(T, "txFrequencyMHz", -kInf, 10, {0, 0}, {}, true),
    one(T, "txFrequencyMHz", -146.565, 10, {0, 0}, {}, true), one(T, "txFrequencyMHz", -0.001, 10, {0, 0}, {}, true),
    one(T, "txFrequencyMHz", -kFloatMax, 10, {0, 0}, {}, true),
    one(T, "txFrequencyMHz", 2147483.75, 10, {0x50, 0x37}, {}, true),
    one(T, "rxFrequencyMHz", 150.5, 12, {0x00, 0x05}, 140.5),
    one(T, "rxFrequencyMHz", 150.5, 12, {0x00, 0x05}, 140.5, true),
    one(T, "rxFrequencyMHz", 139.999, 12, {0x99, 0x99}, 149.999),
    one(T, "rxFrequencyMHz", 139.999, 12, {0x99, 0x99}, 149.999, true),
    one(T, "rxFrequencyMHz", kNaN, 12, {0, 0}), one(T, "rxFrequencyMHz", kInf, 12, {0, 0}),
    one(T, "rxFrequencyMHz", -kInf, 12, {0, 0}), one(T, "rxFrequencyMHz", -146.565, 12, {0, 0}),
    one(T, "rxFrequencyMHz", -0.001, 12, {0, 0}), one(T, "rxFrequencyMHz", -kFloatMax, 12, {0, 0}),
    one(T, "rxFrequencyMHz", 2147483.75, 12, {0x50, 0x37}), one(T, "rxFrequencyMHz", kFloatMax, 12, {0, 0}),
    // Tarsel: calibration word 20000 / (percent / 100 + 1).
    one(T, "calibrationPercent", 0, 16, {0x20, 0x4E}, 0), one(T, "calibrationPercent", 10, 16, {0x06, 0x47}),
    one(T, "calibrationPercent", -50, 16, {0x40, 0x9C}, -50), one(T, "calibrationPercent", -75, 16, {0x80, 0x38}),
    one(T, "calibrationPercent", -100, 16, {0, 0}, kInf), one(T, "calibrationPercent", kInf, 16, {0, 0}, kInf),
    one(T, "calibrationPercent", -kInf, 16, {0, 0}), one(T, "calibrationPercent", kNaN, 16, {0, 0}),
    one(T, "calibrationPercent", -150, 16, {0, 0}), one(T, "calibrationPercent", -1e30, 16, {0, 0}),
    one(T, "calibrationPercent", -99.999, 16, {0x00, 0x5A}), one(T, "calibrationPercent", -99.99999, 16, {0, 0}),
    // Tarsel: one bit each in the flag byte; any non-zero value counts as set.
    one(T, "randomTones", 1, 21, {0x01}, 1), one(T, "randomSpeed", 1, 21, {0x02}, 1),
    one(T, "randomMorse", 1, 21, {0x04}, 1), one(T, "autoStart", 5, 21, {0x08}, 1),
    one(T, "disableRx", 1, 21, {0x80}, 1),
};

void expectNumber(double actual, double expected, double tolerance, const std::string& label) {
    if (std::isinf(expected)) {
        EXPECT_EQ(actual, expected) << label;
    } else if (tolerance > 0) {
        EXPECT_NEAR(actual, expected, tolerance) << label;
    } else {
        EXPECT_FLOAT_EQ(static_cast<float>(actual), static_cast<float>(expected)) << label;
    }
}

TEST(LayoutGoldenBytes, EncodeRows) {
    for (const EncodeRow& r : kEncodeRows) {
        const ModelInfo& row = rowOf(r.model);
        DeviceConfig record;
        record.model = r.model;
        for (const Stored& s : r.stored) setMember(record, s.key, r.value);
        const EncodedImage encoded = row.encode(record, r.noLimit);
        EXPECT_EQ(encoded.morseSpeedWpm, std::max(record.morseSpeedWpm, 3));
        DeviceConfig back = record;
        row.decode(encoded.image, back);
        for (const Stored& s : r.stored) {
            const std::string label = std::string(row.name) + " " + std::string(s.key) + " " +
                                      std::to_string(r.value) + (r.noLimit ? " noLimit" : "");
            EXPECT_EQ(test::slice(encoded.image, s.offset, s.bytes.size()), s.bytes) << label;
            if (s.back) expectNumber(member(back, s.key), *s.back, 0, label);
        }
    }
}

// --- Decoding: what given bytes read as ------------------------------------

// An image of `fill` with the patches over it reads `key` as `value`.
struct DecodeRow {
    DeviceModel model;
    std::uint8_t fill;
    std::vector<std::pair<std::size_t, Bytes>> patches;
    std::string_view key;
    double value;
    double tolerance = 0;
};

std::vector<DecodeRow> filled(DeviceModel model, std::uint8_t fill,
                              std::vector<std::pair<std::string_view, double>> values) {
    std::vector<DecodeRow> rows;
    for (const auto& [key, value] : values) rows.push_back({model, fill, {}, key, value});
    return rows;
}

std::vector<DecodeRow> decodeRows() {
    std::vector<DecodeRow> rows{
        // Basic: speed byte, calibration word, LED bit 0, the stored offsets.
        {B, 0, {{5, {0}}}, "morseSpeedWpm", 0}, {B, 0, {{5, {255}}}, "morseSpeedWpm", 2},
        {B, 0, {{5, {1}}}, "morseSpeedWpm", 600},
        {B, 0, {{11, {0xF9, 0x6E}}}, "calibrationPercent", 10.00035, 1e-5},
        {B, 0, {{11, {0x24, 0xF4}}}, "calibrationPercent", -50},
        {B, 0, {{11, {0x2D, 0x31}}}, "calibrationPercent", 148.233, 1e-3},
        {B, 0, {{11, {0xFF, 0xFF}}}, "calibrationPercent", -52.316, 1e-3},
        {B, 0, {{13, {0xFE}}}, "ledEnabled", 0}, {B, 0, {{13, {0x03}}}, "ledEnabled", 1},
        {B, 0x41, {{0, {2}}, {1, {100}}, {120, {0}}}, "morseText", 20},
        {B, 9, {{0, {2}}}, "toneCount", 200},
        // Tarsel: speed byte, nibbles above 9, calibration word, flag bits.
        {T, 0, {{19, {0}}}, "morseSpeedWpm", 0}, {T, 0, {{19, {241}}}, "morseSpeedWpm", 0},
        {T, 0, {{19, {240}}}, "morseSpeedWpm", 1}, {T, 0, {{19, {255}}}, "morseSpeedWpm", 0},
        {T, 0, {{10, {0x00, 0xF0}}}, "txFrequencyMHz", 155.0},
        {T, 0, {{16, {0x06, 0x47}}}, "calibrationPercent", 9.9989, 1e-4},
        {T, 0, {{16, {0x40, 0x9C}}}, "calibrationPercent", -50},
        {T, 0, {{16, {0x80, 0x38}}}, "calibrationPercent", 38.274, 1e-3},
        {T, 0, {{16, {0xFF, 0xFF}}}, "calibrationPercent", -69.482, 1e-3},
    };
    for (std::string_view flag : {"randomTones", "randomSpeed", "randomMorse", "autoStart", "disableRx"}) {
        rows.push_back({T, 0, {{21, {0x70}}}, flag, 0});
    }
    const auto add = [&rows](std::vector<DecodeRow> more) { rows.insert(rows.end(), more.begin(), more.end()); };
    add(filled(B, 0xFF, {{"morseText", 1}, {"morseSpeedWpm", 2}, {"morseTone", 255}, {"toneSpeedMs", 510},
                         {"tonesDurationSec", 65535}, {"loopTimeSec", 65535}, {"preTonesDelaySec", 65535},
                         {"txFrequencyMHz", 327.675}, {"ledEnabled", 1}, {"toneCount", 1}}));
    rows.push_back({B, 0xFF, {}, "calibrationPercent", -52.316, 1e-3});
    add(filled(B, 0x00, {{"morseText", 0}, {"morseSpeedWpm", 0}, {"tonesDurationSec", 0}, {"loopTimeSec", 0},
                         {"preTonesDelaySec", 0}, {"txFrequencyMHz", 0}, {"calibrationPercent", kInf},
                         {"ledEnabled", 0}, {"toneCount", 0}}));
    add(filled(T, 0xFF, {{"morseText", 234}, {"morseSpeedWpm", 0}, {"morseTone", 255}, {"toneSpeedMs", 1275},
                         {"preTonesDelaySec", 15555}, {"tonesDurationSec", 15555}, {"loopTimeSec", 15555},
                         {"initialDelayMin", 15555}, {"totalRuntimeMin", 15555}, {"unlockCode", 5555},
                         {"txFrequencyMHz", 156.665}, {"rxFrequencyMHz", 156.665}, {"randomTones", 1},
                         {"randomSpeed", 1}, {"randomMorse", 1}, {"autoStart", 1}, {"disableRx", 1},
                         {"toneCount", 173}}));
    rows.push_back({T, 0xFF, {}, "calibrationPercent", -69.482, 1e-3});
    add(filled(T, 0x00, {{"morseText", 0}, {"morseSpeedWpm", 0}, {"preTonesDelaySec", 0}, {"tonesDurationSec", 0},
                         {"loopTimeSec", 0}, {"initialDelayMin", 0}, {"totalRuntimeMin", 0}, {"unlockCode", 0},
                         {"txFrequencyMHz", 140.0}, {"rxFrequencyMHz", 140.0}, {"calibrationPercent", kInf},
                         {"randomTones", 0}, {"randomSpeed", 0}, {"randomMorse", 0}, {"autoStart", 0},
                         {"disableRx", 0}, {"toneCount", 0}}));
    return rows;
}

TEST(LayoutGoldenBytes, DecodeRows) {
    for (const DecodeRow& r : decodeRows()) {
        ConfigImage image = test::filledImage(r.fill);
        for (const auto& [offset, bytes] : r.patches) {
            std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(offset));
        }
        // A start that no image gives, so a member left unread shows.
        DeviceConfig record;
        record.model = r.model;
        record.morseSpeedWpm = record.morseTone = record.toneSpeedMs = -77;
        record.randomTones = record.randomSpeed = record.randomMorse = record.autoStart = record.disableRx = 9;
        record.ledEnabled = 9;
        rowOf(r.model).decode(image, record);
        expectNumber(member(record, r.key), r.value, r.tolerance,
                     std::string(modelName(r.model)) + " " + std::string(r.key) + " fill " + std::to_string(r.fill));
    }
}

// --- The helpers under both layouts ----------------------------------------

TEST(LayoutGoldenBytes, ByteFieldHelpers) {
    EXPECT_EQ(roundedModulo(29313.0005, 65536.0), 29313u);
    EXPECT_EQ(roundedModulo(65535.5, 65536.0), 0u);  // rounds to 65536
    EXPECT_EQ(roundedModulo(-0.9, 65536.0), 0u);
    EXPECT_EQ(roundedModulo(1e300, 65536.0), 0u);
    EXPECT_EQ(roundedModulo(123456789.0, 10000.0), 6789u);
    EXPECT_EQ(roundedModulo(kNaN, 10.0), 0u);

    EXPECT_TRUE(std::isinf(toSingle(1e39)) && toSingle(1e39) > 0);
    EXPECT_TRUE(std::isinf(toSingle(-1e300)) && toSingle(-1e300) < 0);
    EXPECT_EQ(toSingle(3.4028234e38), std::numeric_limits<float>::max());
    EXPECT_TRUE(std::isnan(toSingle(kNaN)));
}

}  // namespace
}  // namespace wb
