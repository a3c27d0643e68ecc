#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "cli/record_json.h"
#include "cli/usage_error.h"

namespace wb {
namespace {

// NaN never equals itself, so floats are compared by bit pattern.
void expectSameRecord(const DeviceConfig& expected, const DeviceConfig& actual) {
    for (auto member : {&DeviceConfig::txFrequencyMHz, &DeviceConfig::rxFrequencyMHz,
                        &DeviceConfig::calibrationPercent}) {
        EXPECT_EQ(std::bit_cast<std::uint32_t>(expected.*member), std::bit_cast<std::uint32_t>(actual.*member));
    }
    DeviceConfig a = expected;
    DeviceConfig b = actual;
    a.txFrequencyMHz = b.txFrequencyMHz = a.rxFrequencyMHz = b.rxFrequencyMHz = 0;
    a.calibrationPercent = b.calibrationPercent = 0;
    EXPECT_TRUE(a == b);
}

float randomFloat(std::mt19937& rng) {
    switch (rng() % 6) {
    case 0: return std::numeric_limits<float>::infinity();
    case 1: return -std::numeric_limits<float>::infinity();
    case 2: return std::numeric_limits<float>::quiet_NaN();
    default: {
        // Any finite bit pattern: subnormals, extremes and everything between.
        float value;
        do {
            value = std::bit_cast<float>(static_cast<std::uint32_t>(rng()));
        } while (!std::isfinite(value));
        return value;
    }
    }
}

DeviceConfig randomRecord(std::mt19937& rng) {
    DeviceConfig c;
    c.model = static_cast<DeviceModel>(rng() % 3);
    c.morseText.clear();
    for (std::size_t n = rng() % 40; n > 0; --n) c.morseText += static_cast<char>(rng() % 256);
    for (auto member : {&DeviceConfig::morseSpeedWpm, &DeviceConfig::morseTone, &DeviceConfig::toneSpeedMs,
                        &DeviceConfig::tonesDurationSec, &DeviceConfig::preTonesDelaySec, &DeviceConfig::loopTimeSec,
                        &DeviceConfig::unlockCode, &DeviceConfig::initialDelayMin, &DeviceConfig::totalRuntimeMin}) {
        c.*member = static_cast<std::int32_t>(rng());
    }
    c.txFrequencyMHz = randomFloat(rng);
    c.rxFrequencyMHz = randomFloat(rng);
    c.calibrationPercent = randomFloat(rng);
    for (auto& tone : c.tones) tone = static_cast<std::uint8_t>(rng());
    c.toneCount = static_cast<std::int32_t>(rng() % 201);
    for (auto member : {&DeviceConfig::ledEnabled, &DeviceConfig::randomTones, &DeviceConfig::randomSpeed,
                        &DeviceConfig::randomMorse, &DeviceConfig::autoStart, &DeviceConfig::disableRx}) {
        c.*member = static_cast<std::uint8_t>(rng() % 2);
    }
    return c;
}

TEST(RecordJson, RoundTripOfManyRecords) {
    std::mt19937 rng(20261207);
    for (int i = 0; i < 500; ++i) {
        const DeviceConfig original = randomRecord(rng);
        // Entries beyond toneCount are not in the JSON: they must survive
        // from the record the JSON is applied to.
        DeviceConfig back;
        back.tones = original.tones;
        applyJsonText(recordToJsonText(original), back);
        expectSameRecord(original, back);
        if (HasFailure()) {
            ADD_FAILURE() << recordToJsonText(original);
            break;
        }
    }
}

TEST(RecordJson, TextAndNumbers) {
    DeviceConfig c;
    c.morseText = std::string("A\0\x7F\x80\xE9\xFF", 6);
    c.calibrationPercent = 0.1f;
    c.rxFrequencyMHz = -std::numeric_limits<float>::infinity();
    c.txFrequencyMHz = std::numeric_limits<float>::quiet_NaN();
    c.model = DeviceModel::Tarsel;
    c.toneCount = 3;
    const auto json = recordToJson(c);
    EXPECT_EQ(json["morseText"].dump(-1, ' ', false), "\"A\\u0000\x7F\xC2\x80\xC3\xA9\xC3\xBF\"");
    EXPECT_EQ(json["calibrationPercent"].dump(), "0.100000001");
    EXPECT_EQ(json["rxFrequencyMHz"], "-inf");
    EXPECT_EQ(json["txFrequencyMHz"], "nan");
    EXPECT_EQ(json["model"], "tarsel");
    EXPECT_EQ(json["tones"].dump(), "[1,20,1]");

    EXPECT_EQ(recordToJson(DeviceConfig{})["txFrequencyMHz"].dump(), "146.565002");

    std::vector<std::string> keys;
    for (const auto& [key, value] : json.items()) keys.push_back(key);
    const std::vector<std::string> expected = {
        "model", "morseText", "morseSpeedWpm", "morseTone", "toneSpeedMs", "tonesDurationSec",
        "preTonesDelaySec", "loopTimeSec", "txFrequencyMHz", "rxFrequencyMHz", "calibrationPercent", "tones",
        "toneCount", "ledEnabled", "randomTones", "randomSpeed", "randomMorse", "autoStart", "disableRx",
        "unlockCode", "initialDelayMin", "totalRuntimeMin"};
    EXPECT_EQ(keys, expected);
}

TEST(RecordJson, InputForms) {
    DeviceConfig c;
    c.tones[70] = 99;
    applyJsonText(R"({"ledEnabled": false, "autoStart": true, "disableRx": 1, "txFrequencyMHz": "inf",
                      "calibrationPercent": -2, "tones": [5, 6], "morseText": "\u00e9x", "model": "basic"})",
                  c);
    EXPECT_EQ(c.ledEnabled, 0);
    EXPECT_EQ(c.autoStart, 1);
    EXPECT_EQ(c.disableRx, 1);
    EXPECT_TRUE(std::isinf(c.txFrequencyMHz));
    EXPECT_EQ(c.calibrationPercent, -2.0f);
    EXPECT_EQ(c.toneCount, 2);
    EXPECT_EQ(c.tones[0], 5);
    EXPECT_EQ(c.tones[2], 1);  // entries after the count keep their values
    EXPECT_EQ(c.morseText, "\xE9x");
    EXPECT_EQ(c.model, DeviceModel::Basic);
    EXPECT_EQ(c.morseSpeedWpm, 20);  // missing keys keep their values

    applyJsonText(R"({"toneCount": 71})", c);
    EXPECT_EQ(c.toneCount, 71);
    EXPECT_EQ(recordToJson(c)["tones"].back(), 99);
    applyJsonText(R"({"tones": []})", c);
    EXPECT_EQ(c.toneCount, 0);
}

TEST(RecordJson, BadInputNamesTheKeyAndChangesNothing) {
    std::string tooManyTones = "{\"tones\": [1";
    for (int i = 0; i < 200; ++i) tooManyTones += ",1";
    tooManyTones += "]}";
    const struct {
        std::string json;
        std::string named;
    } cases[] = {
        {R"({"speed": 20})", "speed"},
        {R"({"morseSpeedWpm": "20"})", "morseSpeedWpm"},
        {R"({"morseSpeedWpm": 20.5})", "morseSpeedWpm"},
        {R"({"morseTone": 2147483648})", "morseTone"},
        {R"({"unlockCode": -2147483649})", "unlockCode"},
        {R"({"loopTimeSec": null})", "loopTimeSec"},
        {R"({"tones": [1, 256]})", "tones"},
        {R"({"tones": [-1]})", "tones"},
        {R"({"tones": [1.5]})", "tones"},
        {R"({"tones": "1,2"})", "tones"},
        {tooManyTones, "tones"},
        {R"({"toneCount": 201})", "toneCount"},
        {R"({"toneCount": -1})", "toneCount"},
        {R"({"tones": [1, 2], "toneCount": 3})", "toneCount"},
        {R"({"ledEnabled": 2})", "ledEnabled"},
        {R"({"randomTones": "yes"})", "randomTones"},
        {R"({"model": "Tarsel"})", "model"},
        {R"({"model": 2})", "model"},
        {R"({"morseText": "\u0100"})", "morseText"},
        {R"({"morseText": 5})", "morseText"},
        {R"({"txFrequencyMHz": 1e39})", "txFrequencyMHz"},
        {R"({"rxFrequencyMHz": "Inf"})", "rxFrequencyMHz"},
        {R"({"calibrationPercent": true})", "calibrationPercent"},
        {R"([1, 2])", "object"},
        {R"({"morseSpeedWpm": 5,)", "JSON"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        DeviceConfig config;
        config.morseSpeedWpm = 7;
        DeviceConfig before = config;
        try {
            applyJsonText(R"({"morseSpeedWpm": 9, "ledEnabled": 0})", config);  // a good part first
            before = config;
            applyJsonText(c.json, config);
            ADD_FAILURE() << "accepted";
        } catch (const UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos) << e.what();
        }
        EXPECT_TRUE(config == before);
    }
}

TEST(RecordJson, SetAssignments) {
    DeviceConfig c;
    applySetting("unlockCode=907", c);
    applySetting("morseText= CQ \xB0=", c);  // bytes as given, '=' in the value kept
    applySetting("tones=3,0,255", c);
    applySetting("txFrequencyMHz=145.5", c);
    applySetting("rxFrequencyMHz=-inf", c);
    applySetting("calibrationPercent=+1e-3", c);
    applySetting("randomMorse=true", c);
    applySetting("ledEnabled=0", c);
    applySetting("model=tarsel", c);
    applySetting("morseSpeedWpm=-5", c);
    EXPECT_EQ(c.unlockCode, 907);
    EXPECT_EQ(c.morseText, " CQ \xB0=");
    EXPECT_EQ(c.toneCount, 3);
    EXPECT_EQ(c.tones[2], 255);
    EXPECT_EQ(c.tones[3], 20);
    EXPECT_EQ(c.txFrequencyMHz, 145.5f);
    EXPECT_EQ(c.rxFrequencyMHz, -std::numeric_limits<float>::infinity());
    EXPECT_EQ(c.calibrationPercent, 1e-3f);
    EXPECT_EQ(c.randomMorse, 1);
    EXPECT_EQ(c.ledEnabled, 0);
    EXPECT_EQ(c.model, DeviceModel::Tarsel);
    EXPECT_EQ(c.morseSpeedWpm, -5);
    applySetting("tones=", c);
    EXPECT_EQ(c.toneCount, 0);
    applySetting("morseText=", c);
    EXPECT_EQ(c.morseText, "");

    std::string twoHundredOne = "1";
    for (int i = 0; i < 200; ++i) twoHundredOne += ",1";
    const struct {
        std::string assignment;
        std::string named;
    } bad[] = {
        {"unlockCode", "unlockCode"},
        {"speed=20", "speed"},
        {"=20", "unknown key"},
        {"morseSpeedWpm=20x", "morseSpeedWpm"},
        {"morseSpeedWpm=", "morseSpeedWpm"},
        {"morseSpeedWpm=2147483648", "morseSpeedWpm"},
        {"morseSpeedWpm= 20", "morseSpeedWpm"},
        {"txFrequencyMHz=146,5", "txFrequencyMHz"},
        {"txFrequencyMHz=1e39", "txFrequencyMHz"},
        {"txFrequencyMHz=", "txFrequencyMHz"},
        {"tones=1,,2", "tones"},
        {"tones=1,256", "tones"},
        {"tones=1, 2", "tones"},
        {"tones=" + twoHundredOne, "tones"},
        {"toneCount=201", "toneCount"},
        {"disableRx=2", "disableRx"},
        {"model=Basic", "model"},
    };
    for (const auto& b : bad) {
        SCOPED_TRACE(b.assignment);
        DeviceConfig config;
        try {
            applySetting(b.assignment, config);
            ADD_FAILURE() << "accepted";
        } catch (const UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(b.named), std::string::npos) << e.what();
        }
        EXPECT_TRUE(config == DeviceConfig{});
    }
}

TEST(RecordJson, Utf8Bytes) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(utf8ToBytes(bytesToUtf8(all)), all);
    for (const char* bad : {"\xC4\x80", "\xC3", "\xC3\x41", "\x80", "\xE2\x82\xAC", "\xC0\x80"}) {
        EXPECT_FALSE(utf8ToBytes(bad).has_value()) << bad;
    }
}

}  // namespace
}  // namespace wb
