// Write Config against a scripted peer that stores what it is sent and
// reads it back: the timeline, the bytes and pauses on the wire, the write
// preparation, and the refusal to send one model's image to the other.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/beacon_device.h"
#include "exchange/device_exchange.h"
#include "serial/serial_port.h"
#include "support/scripted_comm.h"

namespace wb {
namespace {

using test::ScriptedComm;

struct WriteRig {
    ScriptedComm comm;
    SerialPort port{comm};
    BeaconDevice device;
    int notices = 0;
    CodecContext context{false, [this] { ++notices; }};

    explicit WriteRig(const std::string& versionAnswer) {
        port.setPortName("COM4");
        comm.versionAnswer = versionAnswer;
        comm.answerWithStored = true;
    }
};

struct ModelCase {
    DeviceModel model;
    const char* reply;
};

class WriteTimeline : public ::testing::TestWithParam<ModelCase> {};

TEST_P(WriteTimeline, StatusLineAfterEveryTick) {
    WriteRig rig(GetParam().reply);
    rig.device.config.model = GetParam().model;
    rig.device.retryCount = 2;
    ASSERT_FALSE(prepareWrite(rig.device, rig.port, rig.context));
    EXPECT_EQ(rig.device.retryCount, 0);
    EXPECT_EQ(rig.device.statusText, "Reading Version");

    std::vector<std::string> expected(6, "Reading Version");
    expected.push_back("Writing Config : ");
    for (int stars = 1; stars <= 8; ++stars) expected.push_back("Writing Config : " + std::string(static_cast<std::size_t>(stars), '*'));
    expected.push_back("Verifying Config");
    expected.push_back("Config Written Successfully!");

    std::vector<std::string> lines;
    std::vector<int> refreshTicks;
    std::vector<std::int32_t> tickCounts;
    for (int tick = 1; tick <= 17; ++tick) {
        if (pollTick(rig.device, rig.port)) refreshTicks.push_back(tick);
        lines.push_back(rig.device.statusText);
        tickCounts.push_back(rig.device.tickCount);
    }
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(refreshTicks, (std::vector<int>{7, 17}));
    // Reset at identification, not on entering the read-back: 9 then 10.
    EXPECT_EQ(tickCounts[15], 9);
    EXPECT_EQ(tickCounts[16], 10);
    EXPECT_FALSE(exchangeBusy(rig.device));
    EXPECT_FALSE(rig.comm.open);
    EXPECT_EQ(rig.comm.opens, 2);
}

TEST_P(WriteTimeline, BytesAndPausesOnTheWire) {
    WriteRig rig(GetParam().reply);
    rig.device.config.model = GetParam().model;
    ASSERT_FALSE(prepareWrite(rig.device, rig.port, rig.context));
    const ConfigImage image = rig.device.images.outgoingImage;
    for (int tick = 1; tick <= 7; ++tick) pollTick(rig.device, rig.port);
    ASSERT_EQ(rig.comm.written.size(), 6u);  // version and write requests
    for (int chunk = 0; chunk < 8; ++chunk) {
        pollTick(rig.device, rig.port);
        ASSERT_EQ(rig.comm.written.size(), 6u + 32u * static_cast<std::size_t>(chunk + 1));
        EXPECT_EQ(rig.device.images.writePosition, 32 * (chunk + 1));
    }
    pollTick(rig.device, rig.port);

    std::vector<ScriptedComm::Written> expected = {{0x1B, 0}, {'V', 0}, {0x1B, 10}, {'D', 10}, {0xAA, 10}, {'U', 10}};
    for (std::uint8_t b : image) expected.push_back({b, 20});
    expected.push_back({0x1B, 10});
    expected.push_back({'U', 10});
    ASSERT_EQ(rig.comm.written.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(rig.comm.written[i].byte, expected[i].byte) << i;
        EXPECT_EQ(rig.comm.written[i].pauseMs, expected[i].pauseMs) << i;
    }
    EXPECT_EQ(rig.comm.stored, std::vector<std::uint8_t>(image.begin(), image.end()));
}

INSTANTIATE_TEST_SUITE_P(Models, WriteTimeline,
                         ::testing::Values(ModelCase{kBasicModel, "Wrenbolt v2.1\r\n"},
                                           ModelCase{kTarselModel, "Wrenbolt-Tarsel v1.07\r\n"}));

TEST(WriteConfig, ReadBackThatDiffersOrFallsShortFailsVerification) {
    struct Case {
        std::vector<std::uint8_t> readBack;  // empty: the beacon's own echo
        const char* status;
        Outcome outcome;
    };
    WriteRig probe("Wrenbolt-Tarsel v1.07\r\n");
    probe.device.config.model = kTarselModel;
    prepareWrite(probe.device, probe.port, probe.context);
    const ConfigImage image = probe.device.images.outgoingImage;
    std::vector<std::uint8_t> flipped(image.begin(), image.end());
    flipped[245] ^= 0x01;
    std::vector<std::uint8_t> shortOne(image.begin(), image.end() - 1);
    std::vector<std::uint8_t> longOne(image.begin(), image.end());
    longOne.push_back(0);

    for (const Case& c : {Case{flipped, "Verify Failed", Outcome::VerifyFailed},
                          Case{shortOne, "Verify FAILED SIZE", Outcome::VerifyFailedSize},
                          Case{longOne, "Verify FAILED SIZE", Outcome::VerifyFailedSize}}) {
        WriteRig rig("Wrenbolt-Tarsel v1.07\r\n");
        rig.comm.answerWithStored = false;
        rig.comm.imageAnswer = c.readBack;
        rig.device.config.model = kTarselModel;
        rig.device.config.morseSpeedWpm = 25;
        ASSERT_FALSE(prepareWrite(rig.device, rig.port, rig.context));
        const DeviceConfig before = rig.device.config;
        for (int tick = 0; tick < 17; ++tick) pollTick(rig.device, rig.port);
        EXPECT_EQ(rig.device.statusText, c.status);
        EXPECT_EQ(rig.device.outcome, c.outcome);
        EXPECT_EQ(rig.device.config, before);
    }
}

TEST(WriteConfig, SuccessShowsWhatTheBeaconNowStores) {
    WriteRig rig("Wrenbolt-Tarsel v1.07\r\n");
    rig.device.config.model = kTarselModel;
    rig.device.config.morseSpeedWpm = 25;
    ASSERT_FALSE(prepareWrite(rig.device, rig.port, rig.context));
    for (int tick = 0; tick < 17; ++tick) pollTick(rig.device, rig.port);
    EXPECT_EQ(rig.device.statusText, "Config Written Successfully!");
    EXPECT_EQ(rig.device.outcome, Outcome::ConfigWritten);
    EXPECT_EQ(rig.device.config.morseSpeedWpm, 26);
}

// The image was encoded for one model and the beacon turns out to be the
// other: nothing is sent, and the user is told to read first.
TEST(WriteConfig, ModelMismatchSendsNothing) {
    for (const ModelCase& c : {ModelCase{kBasicModel, "Wrenbolt-Tarsel v1.07\r\n"},
                               ModelCase{kTarselModel, "Wrenbolt v2.1\r\n"}}) {
        WriteRig rig(c.reply);
        rig.device.config.model = c.model;
        ASSERT_FALSE(prepareWrite(rig.device, rig.port, rig.context));
        EXPECT_EQ(rig.device.images.outgoingModel, c.model);
        std::vector<bool> refresh;
        for (int tick = 0; tick < 7; ++tick) refresh.push_back(pollTick(rig.device, rig.port));
        EXPECT_TRUE(refresh.back());
        EXPECT_EQ(rig.device.statusText, "Model mismatch: Read Config First");
        EXPECT_EQ(rig.device.outcome, Outcome::ModelMismatch);
        EXPECT_EQ(rig.device.exchangeState, ExchangeState::Idle);
        EXPECT_NE(rig.device.config.model, c.model);
        EXPECT_EQ(rig.comm.written.size(), 2u);  // only the version request
        EXPECT_EQ(rig.comm.opens, 1);
        EXPECT_FALSE(rig.comm.open);
        EXPECT_FALSE(pollTick(rig.device, rig.port));
    }
}

TEST(WriteConfig, StartWithoutAnEncodedImageIsAMismatch) {
    WriteRig rig("Wrenbolt v2.1\r\n");
    rig.device.retryCount = 0;
    startOperation(rig.device, rig.port, ExchangeState::VersionForWrite);
    for (int tick = 0; tick < 7; ++tick) pollTick(rig.device, rig.port);
    EXPECT_EQ(rig.device.statusText, "Model mismatch: Read Config First");
    EXPECT_EQ(rig.comm.written.size(), 2u);
}

TEST(PrepareWrite, WithoutModelDecodesNothingAndStartsNothing) {
    WriteRig rig("Wrenbolt v2.1\r\n");
    rig.device.retryCount = 3;
    rig.device.images.outgoingImage.fill(0x5A);
    const DeviceConfig before = rig.device.config;
    EXPECT_TRUE(prepareWrite(rig.device, rig.port, rig.context));
    EXPECT_EQ(rig.device.statusText, "Read Version First");
    EXPECT_EQ(rig.device.outcome, Outcome::ReadVersionFirst);
    EXPECT_EQ(rig.device.images.receivedLength, 256);
    EXPECT_EQ(rig.device.images.incomingImage, rig.device.images.outgoingImage);
    EXPECT_EQ(rig.device.config, before);
    EXPECT_EQ(rig.device.retryCount, 0);
    EXPECT_EQ(rig.comm.opens, 0);
    EXPECT_EQ(rig.device.exchangeState, ExchangeState::Idle);
}

TEST(PrepareWrite, CutTextIsShownFirstThenWrittenOnTheSecondPress) {
    WriteRig rig("Wrenbolt-Tarsel v1.07\r\n");
    rig.device.config.model = kTarselModel;
    rig.device.config.morseText = std::string(61, 'K');
    rig.device.retryCount = 2;
    EXPECT_TRUE(prepareWrite(rig.device, rig.port, rig.context));
    EXPECT_EQ(rig.notices, 1);
    EXPECT_EQ(rig.device.config.morseText, std::string(60, 'K'));
    EXPECT_EQ(rig.device.statusText, "Read Config Successful");
    EXPECT_EQ(rig.device.retryCount, 0);
    EXPECT_EQ(rig.comm.opens, 0);

    EXPECT_FALSE(prepareWrite(rig.device, rig.port, rig.context));
    EXPECT_EQ(rig.notices, 1);
    EXPECT_EQ(rig.device.exchangeState, ExchangeState::VersionForWrite);
    EXPECT_EQ(rig.comm.opens, 1);
}

TEST(PrepareWrite, SlowSpeedIsRaisedWhetherOrNotTheWriteStarts) {
    for (const DeviceModel model : {kBasicModel, kTarselModel}) {
        for (const bool portOpens : {true, false}) {
            WriteRig rig("Wrenbolt v2.1\r\n");
            rig.comm.openAllowed = [portOpens](int) { return portOpens; };
            rig.device.config.model = model;
            rig.device.config.morseSpeedWpm = 2;
            rig.device.retryCount = 1;
            EXPECT_FALSE(prepareWrite(rig.device, rig.port, rig.context));
            EXPECT_EQ(rig.device.config.morseSpeedWpm, 3);
            EXPECT_EQ(rig.device.retryCount, 0);
            EXPECT_EQ(rig.device.statusText, portOpens ? "Reading Version" : "Could not open Com Port COM4");
            EXPECT_EQ(exchangeBusy(rig.device), portOpens);
        }
    }
}

}  // namespace
}  // namespace wb
