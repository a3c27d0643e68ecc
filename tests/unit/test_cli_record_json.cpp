#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "config/beacon_device.h"
#include "config/record_changes.h"
#include "config/record_fields.h"
#include "config/record_json.h"
#include "config/record_text.h"
#include "image/held_values.h"
#include "image/model_dispatch.h"
#include "image/model_table.h"
#include "image/stored_record.h"
#include "plan/field_text.h"
#include "support/image_harness.h"

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
    // Any byte but 0, which the beacon takes as the end of the text.
    for (std::size_t n = rng() % 40; n > 0; --n) c.morseText += static_cast<char>(1 + rng() % 255);
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
    std::replace(c.tones.begin(), c.tones.begin() + c.toneCount, std::uint8_t{0}, std::uint8_t{1});
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
        ASSERT_FALSE(applyJsonText(recordToJsonText(original), back));
        expectSameRecord(original, back);
        if (HasFailure()) {
            ADD_FAILURE() << recordToJsonText(original);
            break;
        }
    }
}

// Two settings of each kind of member, far enough apart that both layouts
// tell them apart after their rounding.
struct KindValues {
    FieldKind kind;
    std::string first;
    std::string second;
};
const KindValues kKindValues[] = {
    {FieldKind::Text, "CQ", "XY"},      {FieldKind::Integer, "40", "12"}, {FieldKind::Decimal, "145.5", "147.25"},
    {FieldKind::Tones, "3,4,5", "9"},   {FieldKind::ToneCount, "10", "5"}, {FieldKind::Flag, "1", "0"},
};

// Every member of the table, with both models: a setting by its key goes
// through the JSON form unchanged, and the model's layout stores it exactly
// when the table says it carries it.
TEST(RecordFields, TheTableDrivesTheJsonAndSaysWhatEachLayoutStores) {
    for (const DeviceModel model : {kBasicModel, kTarselModel}) {
        for (const RecordField& field : kRecordFields) {
            if (field.kind == FieldKind::Model) continue;  // the identification sets it, no layout
            SCOPED_TRACE(std::string(field.key) + " " + std::string(modelName(model)));
            const auto values = std::find_if(std::begin(kKindValues), std::end(kKindValues),
                                             [&](const KindValues& v) { return v.kind == field.kind; });
            ASSERT_NE(values, std::end(kKindValues));
            const std::string key(field.key);

            DeviceConfig written;
            written.model = model;
            ASSERT_FALSE(applySetting(key + "=" + values->first, written));
            DeviceConfig before = written;
            ASSERT_FALSE(applySetting(key + "=" + values->second, before));
            ASSERT_NE(recordToJson(written)[key], recordToJson(before)[key]);
            DeviceConfig back;
            ASSERT_FALSE(applyJsonText(recordToJsonText(written), back));
            expectSameRecord(written, back);

            BeaconDevice device;
            device.config = written;
            ASSERT_EQ(encodeForModel(device, CodecContext{}), EncodeResult::Encoded);
            BeaconDevice reader = test::deviceWithImage(device.images.outgoingImage, before);
            decodeImage(reader);
            const auto stored = recordToJson(reader.config)[key];
            if (layoutCarries(model, field)) {
                EXPECT_NE(stored, recordToJson(before)[key]) << "the layout does not store it";
            } else {
                EXPECT_EQ(stored, recordToJson(before)[key]) << "the layout changed it";
            }
        }
    }
}

// Every range of every layout: its bounds are held, a value past either
// bound is refused naming the range, and is indeed stored as another value.
TEST(RecordFields, HeldRangesOfEveryLayout) {
    for (const ModelInfo& row : kModels) {
        for (const HeldRange& range : heldRanges(row.code)) {
            SCOPED_TRACE(std::string(range.key) + " " + std::string(row.name));
            const RecordField& field = *findRecordField(range.key);
            ASSERT_TRUE(field.kind == FieldKind::Integer || field.kind == FieldKind::Decimal);
            for (const double value : {range.min, range.max, range.min - 1, range.max + 1}) {
                DeviceConfig given;
                given.model = row.code;
                if (field.kind == FieldKind::Integer) {
                    given.*field.integer = static_cast<std::int32_t>(value);
                } else {
                    given.*field.decimal = static_cast<float>(value);
                }
                const auto refusal = unheldValue(given, DeviceConfig{}, true);
                if (value >= range.min && value <= range.max) {
                    EXPECT_EQ(refusal, std::nullopt) << value;
                    continue;
                }
                ASSERT_TRUE(refusal.has_value()) << value;
                EXPECT_EQ(refusal->find(std::string(range.key) + ": out of range "), 0u) << *refusal;
                const DeviceConfig stored = storedRecord(given, CodecContext{true, {}}).record;
                EXPECT_NE(recordToJson(stored)[std::string(range.key)], recordToJson(given)[std::string(range.key)]);
            }
        }
    }
    // The TX limit: the band's edges are held, the rest only with the limit lifted.
    DeviceConfig given;
    given.model = kBasicModel;
    for (const float tx : {144.0f, 148.0f, 143.999f, 148.001f}) {
        given.txFrequencyMHz = tx;
        EXPECT_EQ(unheldValue(given, DeviceConfig{}, false).has_value(), tx < 144.0f || tx > 148.0f) << tx;
        EXPECT_EQ(unheldValue(given, DeviceConfig{}, true), std::nullopt) << tx;
    }
    // What the edit did not change is not checked: a beacon's odd value stays.
    given.txFrequencyMHz = 150.0f;
    EXPECT_EQ(unheldValue(given, given, false), std::nullopt);
}

TEST(RecordFields, TheTableAsJsonForOtherFrontEnds) {
    const auto rows = recordFieldsJson();
    ASSERT_EQ(rows.size(), kRecordFields.size());
    EXPECT_EQ(rows[9].dump(), R"({"key":"rxFrequencyMHz","kind":"decimal","label":"RX Frequency","unit":"MHz",)"
                              R"("format":"%3.3f","min":0,"max":0,"models":["tarsel"]})");
    EXPECT_EQ(rows[11].dump(), R"({"key":"tones","kind":"tones","label":"Tones","unit":"","format":"tones",)"
                               R"("min":1,"max":255,"models":["basic","tarsel"]})");
    EXPECT_EQ(rows[0].dump(), R"({"key":"model","kind":"model","label":"","unit":"","format":"name",)"
                              R"("min":0,"max":2,"models":["basic","tarsel"]})");
    EXPECT_EQ(rows[13].dump().substr(rows[13].dump().find("\"models\"")), R"("models":["basic"]})");
    EXPECT_EQ(modelsJson().dump(),
              R"([{"code":1,"name":"basic","title":"Basic"},{"code":2,"name":"tarsel","title":"Tarsel"}])");
}

// The model table's look-ups: names, codes and titles both ways, and what
// falls outside the table.
TEST(ModelTable, NamesCodesAndTitles) {
    const struct {
        std::string_view text;
        std::optional<DeviceModel> byName;        // modelFromName: "none" included
        std::optional<DeviceModel> byModelName;   // identifiedModelFromName: rows only
    } names[] = {
        {"basic", kBasicModel, kBasicModel},
        {"tarsel", kTarselModel, kTarselModel},
        {"none", DeviceModel::None, std::nullopt},
        {"Tarsel", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"tarsel ", std::nullopt, std::nullopt},
    };
    for (const auto& c : names) {
        EXPECT_EQ(modelFromName(c.text), c.byName) << c.text;
        EXPECT_EQ(identifiedModelFromName(c.text), c.byModelName) << c.text;
    }
    const struct {
        std::int32_t code;
        DeviceModel model;
        std::string_view name;
        std::string_view title;
    } codes[] = {
        {0, DeviceModel::None, "none", "unknown"},
        {1, kBasicModel, "basic", "Basic"},
        {2, kTarselModel, "tarsel", "Tarsel"},
        {3, DeviceModel::None, "none", "unknown"},
        {-1, DeviceModel::None, "none", "unknown"},
    };
    for (const auto& c : codes) {
        EXPECT_EQ(modelFromCode(c.code), c.model) << c.code;
        EXPECT_EQ(modelName(static_cast<DeviceModel>(c.code)), c.name) << c.code;
        EXPECT_EQ(modelTitle(static_cast<DeviceModel>(c.code)), c.title) << c.code;
    }
    EXPECT_EQ(modelChoicesText(false), "basic or tarsel");
    EXPECT_EQ(modelChoicesText(true), R"("basic" or "tarsel")");
    EXPECT_EQ(modelChoicesText(true, true), R"("none", "basic" or "tarsel")");
    EXPECT_EQ(modelNames(), (std::vector<std::string>{"basic", "tarsel"}));
    EXPECT_EQ(firstIncompatibleFirmware(), "Wrenbolt-Tarsel v0.54");
    // Replies a reply-matcher could get wrong at its edges.
    EXPECT_FALSE(matchVersionReply(""));
    EXPECT_FALSE(matchVersionReply("Wrenbol"));
    EXPECT_FALSE(matchVersionReply(" Wrenbolt v2.1"));
    EXPECT_EQ(matchVersionReply("Wrenbolt")->model->code, kBasicModel);
    EXPECT_EQ(matchVersionReply("Wrenbolt-Tarse")->model->code, kBasicModel);
    EXPECT_EQ(matchVersionReply("Wrenbolt-Tarsel")->verdict, VersionVerdict::Identifies);
    EXPECT_EQ(matchVersionReply("Wrenbolt-Tarsel v0.5")->verdict, VersionVerdict::Identifies);
    EXPECT_EQ(matchVersionReply("Wrenbolt-Tarsel v0.54")->verdict, VersionVerdict::Incompatible);
    EXPECT_EQ(matchVersionReply("Wrenbolt-Tarsel v0.541")->verdict, VersionVerdict::Incompatible);
}

TEST(RecordJson, TextAndNumbers) {
    DeviceConfig c;
    c.morseText = std::string("A\0\x7F\x80\xE9\xFF", 6);
    c.calibrationPercent = 0.1f;
    c.rxFrequencyMHz = -std::numeric_limits<float>::infinity();
    c.txFrequencyMHz = std::numeric_limits<float>::quiet_NaN();
    c.model = kTarselModel;
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
    std::fill(c.tones.begin() + 64, c.tones.begin() + 71, 99);
    ASSERT_FALSE(
        applyJsonText(R"({"ledEnabled": false, "autoStart": true, "disableRx": 1, "txFrequencyMHz": "inf",
                          "calibrationPercent": -2, "tones": [5, 6], "morseText": "\u00e9x", "model": "basic"})",
                      c));
    EXPECT_EQ(c.ledEnabled, 0);
    EXPECT_EQ(c.autoStart, 1);
    EXPECT_EQ(c.disableRx, 1);
    EXPECT_TRUE(std::isinf(c.txFrequencyMHz));
    EXPECT_EQ(c.calibrationPercent, -2.0f);
    EXPECT_EQ(c.toneCount, 2);
    EXPECT_EQ(c.tones[0], 5);
    EXPECT_EQ(c.tones[2], 1);  // entries after the count keep their values
    EXPECT_EQ(c.morseText, "\xE9x");
    EXPECT_EQ(c.model, kBasicModel);
    EXPECT_EQ(c.morseSpeedWpm, 20);  // missing keys keep their values

    ASSERT_FALSE(applyJsonText(R"({"toneCount": 71})", c));
    EXPECT_EQ(c.toneCount, 71);
    EXPECT_EQ(recordToJson(c)["tones"].back(), 99);
    ASSERT_FALSE(applyJsonText(R"({"tones": []})", c));
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
        // A 0 ends the text and the tone list on the beacon: what follows would be lost.
        {R"({"tones": [5, 0, 7]})", "tones: entry 2 is 0"},
        {R"({"tones": [5, 0]})", "tones: entry 2 is 0"},
        {R"({"toneCount": 65})", "toneCount: tones entry 65 is 0"},
        {R"({"morseText": "CQ\u0000DE"})", "morseText: character 3 is NUL"},
        {R"({"morseTone": 1, "morseTone": 2})", "morseTone: given twice"},
        {std::string("{\"morseTone\": 1}\0junk", 21), "byte 17 is NUL"},
        {R"({"tones": [1.5]})", "tones"},
        {R"({"tones": "1,2"})", "tones"},
        {tooManyTones, "tones"},
        {R"({"toneCount": 201})", "toneCount"},
        {R"({"toneCount": -1})", "toneCount"},
        {R"({"tones": [1, 2], "toneCount": 3})", "toneCount"},
        {R"({"ledEnabled": 2})", "ledEnabled"},
        {R"({"randomTones": "yes"})", "randomTones"},
        {R"({"model": "Tarsel"})", R"(model: expected "none", "basic" or "tarsel")"},
        {R"({"model": 2})", R"(model: expected "none", "basic" or "tarsel")"},
        {R"({"model": ""})", "model"},
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
        ASSERT_FALSE(applyJsonText(R"({"morseSpeedWpm": 9, "ledEnabled": 0})", config));  // a good part first
        const DeviceConfig before = config;
        const InputError error = applyJsonText(c.json, config);
        ASSERT_TRUE(error) << "accepted";
        EXPECT_NE(error->find(c.named), std::string::npos) << *error;
        EXPECT_TRUE(config == before);
    }
}

TEST(RecordJson, SetAssignments) {
    DeviceConfig c;
    for (const char* setting : {"unlockCode=907", "morseText= CQ \xC2\xB0=",  // UTF-8 as in JSON, '=' kept
                                "tones=3,7,255", "txFrequencyMHz=145.5", "rxFrequencyMHz=-inf",
                                "calibrationPercent=+1e-3", "randomMorse=true", "ledEnabled=0", "model=tarsel",
                                "morseSpeedWpm=-5"}) {
        ASSERT_FALSE(applySetting(setting, c)) << setting;
    }
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
    EXPECT_EQ(c.model, kTarselModel);
    EXPECT_EQ(c.morseSpeedWpm, -5);
    ASSERT_FALSE(applySetting("tones=", c));
    EXPECT_EQ(c.toneCount, 0);
    ASSERT_FALSE(applySetting("morseText=", c));
    EXPECT_EQ(c.morseText, "");
    ASSERT_FALSE(applySetting("morseText=\xC3\xA9", c));  // é is one byte, as "\u00e9" in JSON
    EXPECT_EQ(c.morseText, "\xE9");

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
        {"morseText=CQ \xE9", "morseText: byte 4 is not UTF-8"},
        {"morseText=\xC0\xA9", "morseText: byte 1 is not UTF-8"},
        {"morseText=CQ \xE2\x82\xAC", "morseText: character 4 is above U+00FF"},
        {std::string("morseText=CQ\0DE", 15), "morseText: character 3 is NUL"},
        {"tones=3,0,255", "tones: entry 2 is 0"},
        {"toneCount=65", "toneCount: tones entry 65 is 0"},
    };
    for (const auto& b : bad) {
        SCOPED_TRACE(b.assignment);
        DeviceConfig config;
        const InputError error = applySetting(b.assignment, config);
        ASSERT_TRUE(error) << "accepted";
        EXPECT_NE(error->find(b.named), std::string::npos) << *error;
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

// The one list of changes, and the audit's reading of it: a tone list that
// only grew is told once, by its count.
TEST(RecordFields, ChangesBetweenTwoRecords) {
    struct Case {
        const char* name;
        void (*edit)(DeviceConfig& before, DeviceConfig& after);
        std::vector<std::string> changed;
        std::vector<std::string> audited;
    };
    const Case cases[] = {
        {"none", [](DeviceConfig&, DeviceConfig&) {}, {}, {}},
        {"nan on both sides", [](DeviceConfig& b, DeviceConfig& c) { b.txFrequencyMHz = c.txFrequencyMHz = std::nanf(""); }, {}, {}},
        {"a tone more", [](DeviceConfig&, DeviceConfig& c) { c.tones[c.toneCount++] = 7; }, {"tones", "toneCount"}, {"toneCount"}},
        {"an entry", [](DeviceConfig&, DeviceConfig& c) { c.tones[0] = 9; }, {"tones"}, {"tones"}},
        {"rx, which Basic lacks", [](DeviceConfig&, DeviceConfig& c) { c.rxFrequencyMHz = 145.0F; }, {}, {}},
        {"model", [](DeviceConfig&, DeviceConfig& c) { c.model = kTarselModel; }, {"model"}, {"model"}},
        {"text and flag", [](DeviceConfig&, DeviceConfig& c) { c.morseText[1] = 'X'; c.ledEnabled ^= 1; },
         {"morseText", "ledEnabled"}, {"morseText", "ledEnabled"}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        DeviceConfig before;
        before.model = kBasicModel;
        before.toneCount = 3;
        DeviceConfig after = before;
        test.edit(before, after);
        std::vector<std::string> keys;
        for (const RecordField* field : changedFields(before, after)) keys.emplace_back(field->key);
        EXPECT_EQ(keys, test.changed);
        EXPECT_EQ(differingFields(before, after), test.audited);
    }
}

}  // namespace
}  // namespace wb
