#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/codec_context.h"
#include "config/record_json.h"
#include "image/model_dispatch.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace wb {
namespace {

using test::readBytes;
using test::runWrenbolt;
using test::TempDir;

std::vector<std::uint8_t> wb1(const ConfigImage& image) {
    const std::string head("WB14\x00\x01\x00\x00", 8);
    std::vector<std::uint8_t> bytes(head.begin(), head.end());
    for (std::uint8_t byte : image) bytes.push_back(byte);
    return bytes;
}

ConfigImage encoded(DeviceConfig config, DeviceModel model, bool noLimit = false) {
    BeaconDevice device;
    device.config = config;
    device.config.model = model;
    encodeForModel(device, CodecContext{noLimit, [] {}});
    return device.images.outgoingImage;
}

TEST(CliEncode, DefaultTarselImageByteForByte) {
    TempDir dir;
    const std::string path = dir.file("t.wb1");
    const auto result = runWrenbolt({"encode", "--model", "tarsel", "--set", "unlockCode=907", "-o", path});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");

    ConfigImage image{};
    const std::uint8_t head[] = {0x00, 0x00, 0x0F, 0x00, 0x1E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x65,
                                 0x65, 0x65, 0x65, 0xA7, 0xA9, 0x20, 0x4E, 0x0A, 0x0C, 0x1A, 0x00};
    std::copy(std::begin(head), std::end(head), image.begin());
    const std::string text = " WRENBOLT ";
    std::copy(text.begin(), text.end(), image.begin() + 22);
    const ToneList tones = factoryTones();
    std::copy(tones.begin(), tones.begin() + 64, image.begin() + 83);
    image[245] = 0xA8;
    EXPECT_EQ(readBytes(path), wb1(image));
}

TEST(CliEncode, ConfigThenSettingsInOrder) {
    TempDir dir;
    const std::string json = dir.file("in.json");
    test::writeText(json, R"({"unlockCode": 1111, "morseText": " \u00c4 ", "tones": [3, 4], "model": "none"})");
    const std::string path = dir.file("b.wb1");
    const auto result = runWrenbolt({"encode", "--model", "basic", "--config", json, "--set", "unlockCode=2222",
                                     "--set", "morseSpeedWpm=12", "--set", "morseSpeedWpm=13", "-o", path});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    DeviceConfig expected;
    expected.unlockCode = 2222;
    expected.morseText = " \xC4 ";
    expected.tones[0] = 3;
    expected.tones[1] = 4;
    expected.toneCount = 2;
    expected.morseSpeedWpm = 13;
    EXPECT_EQ(readBytes(path), wb1(encoded(expected, kBasicModel)));
}

// Outside the band only with --no-limit, and then only what the layout holds.
TEST(CliEncode, FrequencyLimitAndNoLimit) {
    TempDir dir;
    DeviceConfig config;
    config.txFrequencyMHz = 149.5f;
    const std::string path = dir.file("free.wb1");
    const std::vector<std::string> args = {"encode", "--model", "tarsel", "--set", "txFrequencyMHz=149.5", "-o", path};
    const auto limited = runWrenbolt(args);
    EXPECT_EQ(limited.exitCode, 2);
    EXPECT_EQ(limited.err, "--set txFrequencyMHz: out of range 144.000..148.000 unless the limit is lifted\n");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{});

    std::vector<std::string> free = args;
    free.push_back("--no-limit");
    ASSERT_EQ(runWrenbolt(free).exitCode, 0);
    EXPECT_EQ(readBytes(path), wb1(encoded(config, kTarselModel, true)));
    const auto beyond = runWrenbolt({"encode", "--model", "basic", "--set", "txFrequencyMHz=327.68", "--no-limit",
                                     "-o", dir.file("beyond.wb1")});
    EXPECT_EQ(beyond.exitCode, 2);
    EXPECT_EQ(beyond.err, "--set txFrequencyMHz: out of range 0.000..327.675 for the Basic layout\n");
}

TEST(CliEncode, TruncationNoticeOnStderrAndTheFileStillWritten) {
    TempDir dir;
    const std::string path = dir.file("long.wb1");
    const std::string text(120, 'T');
    const auto result = runWrenbolt({"encode", "--model", "tarsel", "--set", "morseText=" + text, "-o", path});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, std::string(kTruncationCaption) + ": " + std::string(kTruncationText) + "\n");
    DeviceConfig config;
    config.morseText = text;
    EXPECT_EQ(readBytes(path), wb1(encoded(config, kTarselModel)));
}

TEST(CliEncode, Failures) {
    TempDir dir;
    const std::string out = dir.file("out.wb1");
    const std::string badJson = dir.file("bad.json");
    test::writeText(badJson, R"({"toneSpeedMs": "fast"})");
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string errHas;
    } cases[] = {
        {{"encode", "--model", "tarsel", "--set", "unlock=1", "-o", out}, 2, "unlock"},
        {{"encode", "--model", "tarsel", "--set", "tones=1,x", "-o", out}, 2, "tones"},
        {{"encode", "--model", "tarsel", "--config", badJson, "-o", out}, 2, "toneSpeedMs"},
        {{"encode", "--model", "tarsel", "--config", dir.file("none.json"), "-o", out}, 2, "none.json"},
        {{"encode", "--model", "none", "-o", out}, 2, "--model"},
        {{"encode", "-o", out}, 2, "--model"},
        {{"encode", "--model", "basic"}, 2, "--output"},
        {{"encode", "--model", "basic", "-o", dir.file("missing/out.wb1")}, 1, "Failed to open file\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const auto result = runWrenbolt(c.args);
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_NE(result.err.find(c.errHas), std::string::npos) << result.err;
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"bad.json"});
    }
}

TEST(CliShow, PrintsTheDecodedRecord) {
    TempDir dir;
    const std::string path = dir.file("t.wb1");
    ASSERT_EQ(runWrenbolt({"encode", "--model", "tarsel", "--set", "unlockCode=7", "--set", "morseSpeedWpm=25",
                           "--set", "rxFrequencyMHz=145.1", "--set", "morseText=DE \x1B[2J\xC2\x9B\xC3\xA9", "-o", path})
                  .exitCode,
              0);

    const auto json = runWrenbolt({"show", path, "--model", "tarsel", "--json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    DeviceConfig expected;
    expected.model = kTarselModel;
    expected.unlockCode = 7;
    expected.morseSpeedWpm = 26;  // what the Tarsel speed byte gives back
    expected.rxFrequencyMHz = 145.1f;
    expected.morseText = "DE \x1B[2J\x9B\xE9";  // UTF-8 on the command line, one byte in the image
    DeviceConfig shown;
    shown.tones = {};
    ASSERT_FALSE(applyJsonText(json.out, shown));
    shown.tones = expected.tones;
    EXPECT_EQ(shown, expected);

    const auto table = runWrenbolt({"show", path, "--model", "tarsel"});
    EXPECT_EQ(table.exitCode, 0);
    EXPECT_NE(table.out.find("Unlock Code:     0007\n"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("RX Frequency:    145.100 MHz\n"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("Model:           tarsel\n"), std::string::npos) << table.out;
    // Escaped, so that the text cannot clear the terminal.
    EXPECT_NE(table.out.find("Text:            \"DE \\x1b[2J\\u009b\xC3\xA9\"\n"), std::string::npos) << table.out;
    EXPECT_NE(json.out.find("\"DE \\u001b[2J\\u009b\xC3\xA9\""), std::string::npos) << json.out;
    // A member the Tarsel layout lacks shows its value, marked.
    EXPECT_NE(table.out.find("Enable LED:      yes (not stored by tarsel)\n"), std::string::npos) << table.out;
    EXPECT_NE(table.out.find("Speed:           26 WPM\n"), std::string::npos) << table.out;
}

TEST(CliShow, Failures) {
    TempDir dir;
    const std::string bad = dir.file("bad.wb1");
    test::writeText(bad, "WB15 and more than eight bytes");
    const std::string shortFile = dir.file("short.wb1");
    test::writeText(shortFile, std::string("wb14\x00\x01\x00\x00 short", 14));
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string err;
    } cases[] = {
        {{"show", bad, "--model", "basic"}, 1, "Invalid File Format\n"},
        {{"show", shortFile, "--model", "basic"}, 1, "Failed to read data\n"},
        {{"show", dir.file("absent.wb1"), "--model", "tarsel"}, 1, "Failed to open file\n"},
    };
    for (const auto& c : cases) {
        const auto result = runWrenbolt(c.args);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.args[1];
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(runWrenbolt({"show", bad}).exitCode, 2);
    EXPECT_EQ(runWrenbolt({"show", "--model", "basic"}).exitCode, 2);
}

}  // namespace
}  // namespace wb
