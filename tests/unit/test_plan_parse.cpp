// Hunt plans from their JSON text: every refusal names what is wrong (the
// beacon and the key where there is one), and each beacon's record is
// layered factory defaults, base file, base, set.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/beacon_device.h"
#include "image/model_dispatch.h"
#include "plan/plan_parse.h"

namespace wb {
namespace {

using ::testing::HasSubstr;

PlanError check(const std::string& text, PlanCheckOptions options = {}) {
    PlanSource source;
    if (PlanError error = parsePlan(text, source)) return error;
    HuntPlan plan;
    return buildPlan(source, std::nullopt, options, plan);
}

// A plan of the given model whose beacons are the given JSON items.
std::string planOf(const std::string& model, const std::string& beacons, const std::string& rest = "") {
    return R"({"model": ")" + model + R"(", )" + rest + R"("beacons": [)" + beacons + "]}";
}

TEST(PlanParse, RefusalsNameWhatIsWrong) {
    const std::string moe = R"({"name": "MOE", "set": {"morseText": " MOE "}})";
    const std::string longText(61, 'E');
    std::string manyTones = "[";
    for (int i = 0; i < 200; ++i) manyTones += (i ? ",5" : "5");
    manyTones += "]";
    const auto nested = [](std::size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); };
    struct Case {
        std::string text;
        std::string error;  // parts of the message, split by '|'; empty: accepted
        bool allowSameText = false;
    };
    const std::vector<Case> cases{
        {planOf("tarsel", moe), ""},
        {"{", "the plan is not JSON"},
        {"[1]", "the plan is not a JSON object"},
        {R"({"beacons": [{"name": "A"}]})", "model: required, \"basic\" or \"tarsel\""},
        {planOf("Tarsel", moe), "model: expected \"basic\" or \"tarsel\""},
        // A plan is for beacons of one model: "none" is no model.
        {planOf("none", moe), "model: expected \"basic\" or \"tarsel\""},
        {R"({"model": 2, "beacons": [{"name": "A"}]})", "model: expected \"basic\" or \"tarsel\""},
        {planOf("tarsel", moe, R"("beacon": 1, )"), "beacon: unknown key"},
        {R"({"model": "basic"})", "beacons: expected a non-empty list"},
        {planOf("basic", ""), "beacons: expected a non-empty list"},
        {planOf("basic", "1"), "beacons[0]: expected an object"},
        {planOf("basic", R"({"set": {}})"), "beacons[0]: name: required"},
        {planOf("basic", R"({"name": ""})"), "beacons[0]: name: expected a non-empty string"},
        {planOf("basic", moe + R"(, {"name": "MOE"})"), R"(beacons[1]: name: "MOE" is given twice)"},
        {planOf("basic", R"({"name": "MOE", "sett": {}})"), "beacons[0]: sett: unknown key"},
        // A name makes its backup's file name, which the disk must take.
        {planOf("basic", R"({"name": ")" + std::string(100, 'N') + R"(", "set": {"morseText": " MOE "}})"), ""},
        {planOf("basic", R"({"name": ")" + std::string(101, 'N') + R"("})"),
         "beacons[0]: name: 101 bytes long; at most 100 fit in its backup's file name"},
        // The plan's object is the first level.
        {planOf("basic", moe, R"("base": )" + nested(63) + ", "), "base: expected an object"},
        {planOf("basic", moe, R"("base": )" + nested(64) + ", "), "the plan nests deeper than 64 levels"},
        {planOf("basic", moe, R"("base": )" + nested(20000) + ", "), "the plan nests deeper than 64 levels"},
        // The parser would keep the last of two keys, and stop at a NUL.
        {planOf("basic", moe, R"("beacons": [{"name": "X"}], )"), "beacons: given twice in the plan"},
        {planOf("basic", moe, R"("model": "tarsel", )"), "model: given twice in the plan"},
        {planOf("basic", moe + R"(, {"name": "MOI", "set": {"morseText": " A ", "morseText": " B "}})"),
         "beacons[1].set: morseText: given twice in the plan"},
        {planOf("basic", moe) + std::string("\0{\"x\": 1}", 9), "byte 80 is NUL, which the plan cannot hold"},
        {planOf("basic", R"({"name": "MOE", "set": []})"), R"(beacon "MOE": set: expected an object)"},
        {planOf("basic", R"({"name": "MOE", "set": {"model": "basic"}})"),
         R"(beacon "MOE": set: model: not allowed here)"},
        {planOf("basic", moe, R"("base": {"model": "tarsel"}, )"), "base: model: not allowed here"},
        {planOf("basic", moe, R"("baseFile": "", )"), "baseFile: expected the name of a .wb1 file"},
        {planOf("basic", moe, R"("base": {"txFrequency": 144.5}, )"), "base: |txFrequency"},
        {planOf("tarsel", moe + R"(, {"name": "MOI", "set": {"preTonesDelaySec": "12"}})"),
         R"(beacon "MOI": |preTonesDelaySec)"},
        {planOf("tarsel", moe + R"(, {"name": "MOI", "set": {"loopTimeSec": 1e12}})"),
         R"(beacon "MOI": |loopTimeSec)"},
        {planOf("tarsel", R"({"name": "MOE", "set": {"morseText": ")" + longText + R"("}})"),
         R"(beacon "MOE": morseText: the Tarsel layout would cut it to 60 characters)"},
        {planOf("basic", R"({"name": "MOE", "set": {"morseText": ")" + std::string(50, 'E') +
                                R"(", "toneCount": 200, "tones": )" + manyTones + "}}"),
         R"(beacon "MOE": tones: the Basic layout would cut the list to )"},
        // Numbers the layout would clamp or cut to other digits; a coarsened one passes.
        {planOf("tarsel", R"({"name": "MOE", "set": {"unlockCode": 12345}})"),
         R"(beacon "MOE": unlockCode: out of range 0..9999 for the Tarsel layout)"},
        {planOf("tarsel", moe, R"("base": {"rxFrequencyMHz": 150}, )"),
         R"(beacon "MOE": rxFrequencyMHz: out of range 140.000..149.999 for the Tarsel layout)"},
        {planOf("basic", R"({"name": "MOE", "set": {"txFrequencyMHz": 150}})"),
         R"(beacon "MOE": txFrequencyMHz: out of range 144.000..148.000 unless the limit is lifted)"},
        {planOf("tarsel", R"({"name": "MOE", "set": {"txFrequencyMHz": 146.5204, "morseSpeedWpm": 25}})"), ""},
        // The factory text twice: no set at all.
        {planOf("tarsel", R"({"name": "A"}, {"name": "B"})"),
         R"(beacons "A" and "B" would both send the Morse text " WRENBOLT ")"},
        {planOf("tarsel", moe + R"(, {"name": "X"}, {"name": "MOI", "set": {"morseText": " MOE "}})"),
         R"(beacons "MOE" and "MOI" would both send the Morse text " MOE ")"},
        {planOf("tarsel", R"({"name": "A"}, {"name": "B"})"), "", true},
        // Every letter of the stored single-byte text has its capital, but
        // for "ß" and "ÿ"; "÷" is no letter, and "×" is not its capital.
        {planOf("tarsel", R"({"name": "A", "set": {"morseText": "MOÉ"}}, {"name": "B", "set": {"morseText": "moé"}})"),
         R"(beacons "A" and "B" would both send the same Morse text)"},
        {planOf("tarsel", R"({"name": "A", "set": {"morseText": "ÞÆ"}}, {"name": "B", "set": {"morseText": "þæ"}})"),
         R"(beacons "A" and "B")"},
        {planOf("tarsel", R"({"name": "A", "set": {"morseText": "ÿ"}}, {"name": "B", "set": {"morseText": "ß"}},
                             {"name": "C", "set": {"morseText": "÷"}}, {"name": "D", "set": {"morseText": "×"}})"),
         ""},
    };
    for (const Case& c : cases) {
        const PlanError error = check(c.text, {false, c.allowSameText});
        if (c.error.empty()) {
            EXPECT_EQ(error, std::nullopt) << c.text;
        } else {
            ASSERT_TRUE(error.has_value()) << c.text;
            std::size_t from = 0;
            for (std::size_t bar; (bar = c.error.find('|', from)) != std::string::npos; from = bar + 1) {
                EXPECT_THAT(*error, HasSubstr(c.error.substr(from, bar - from))) << c.text;
            }
            EXPECT_THAT(*error, HasSubstr(c.error.substr(from))) << c.text;
        }
    }
}

TEST(PlanParse, RecordsAreLayeredAndStoredAsTheLayoutHoldsThem) {
    BeaconDevice old;
    old.config.model = kTarselModel;
    old.config.morseSpeedWpm = 15;
    old.config.loopTimeSec = 90;
    encodeForModel(old, CodecContext{});

    PlanSource source;
    ASSERT_EQ(parsePlan(R"({"model": "tarsel", "baseFile": "event.wb1",
        "base": {"txFrequencyMHz": 144.5, "loopTimeSec": 60},
        "beacons": [{"name": "MOE", "set": {"morseText": " MOE "}},
                    {"name": "MOI", "set": {"morseText": " MOI ", "preTonesDelaySec": 12,
                                            "loopTimeSec": 75}}]})",
                        source),
              std::nullopt);
    EXPECT_EQ(source.baseFile, "event.wb1");
    HuntPlan plan;
    ASSERT_EQ(buildPlan(source, old.images.outgoingImage, {}, plan), std::nullopt);
    ASSERT_EQ(plan.entries.size(), 2u);
    const DeviceConfig& moe = plan.entries[0].stored;
    const DeviceConfig& moi = plan.entries[1].stored;
    EXPECT_EQ(moe.model, kTarselModel);
    EXPECT_EQ(moe.morseSpeedWpm, 15);  // from the base file
    EXPECT_EQ(moe.loopTimeSec, 60);    // base over the file
    EXPECT_EQ(moe.morseText, " MOE ");
    EXPECT_EQ(moi.loopTimeSec, 75);  // set over base
    EXPECT_EQ(moi.preTonesDelaySec, 12);
    EXPECT_EQ(moe.preTonesDelaySec, 0);
    for (const PlanEntry& entry : plan.entries) {
        BeaconDevice device;
        device.config = entry.record;
        encodeForModel(device, CodecContext{});
        EXPECT_EQ(device.images.outgoingImage, entry.image) << entry.name;
    }
}

}  // namespace
}  // namespace wb
