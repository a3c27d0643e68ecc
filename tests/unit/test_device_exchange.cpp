// The exchange tick by tick against a scripted peer: identification,
// failure paths, and peers that misbehave at the byte level.
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

const std::string kBasicReply = "Wrenbolt v2.1\r\n";
const std::string kTarselReply = "Wrenbolt-Tarsel v1.07\r\n";

struct Rig {
    ScriptedComm comm;
    SerialPort port{comm};
    BeaconDevice device;
    std::vector<bool> refreshes;

    Rig() { port.setPortName("COM3"); }

    void start(ExchangeState first) {
        device.retryCount = 0;
        startOperation(device, port, first);
    }
    // The status line after each tick, as the dialog would show it.
    std::vector<std::string> ticks(int n) {
        std::vector<std::string> lines;
        for (int i = 0; i < n; ++i) {
            refreshes.push_back(pollTick(device, port));
            lines.push_back(device.statusText);
        }
        return lines;
    }
    int ticksUntilIdle(int limit = 200) {
        int n = 0;
        while (exchangeBusy(device) && n < limit) {
            refreshes.push_back(pollTick(device, port));
            ++n;
        }
        return n;
    }
    int versionRequests() const {
        int count = 0;
        const auto bytes = comm.writtenBytes();
        for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
            if (bytes[i] == 0x1B && bytes[i + 1] == 'V') ++count;
        }
        return count;
    }
};

std::vector<std::string> repeat(const std::string& text, int n) {
    return std::vector<std::string>(static_cast<std::size_t>(n), text);
}

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(DeviceExchange, ReadVersionStatusAfterEveryTick) {
    Rig rig;
    rig.comm.versionAnswer = kTarselReply;
    rig.start(ExchangeState::ReadVersion);
    EXPECT_EQ(rig.device.statusText, "Reading Version");
    EXPECT_EQ(rig.comm.written.size(), 2u);
    EXPECT_EQ(rig.comm.written[0].pauseMs, 0u);

    EXPECT_EQ(rig.ticks(7), concat(repeat("Reading Version", 6),
                                   {"Version Read : \"Wrenbolt-Tarsel v1.07\r\n\""}));
    EXPECT_EQ(rig.refreshes, (std::vector<bool>{false, false, false, false, false, false, true}));
    EXPECT_EQ(rig.device.exchangeState, ExchangeState::Idle);
    EXPECT_EQ(rig.device.config.model, kTarselModel);
    EXPECT_FALSE(rig.comm.open);
    EXPECT_EQ(rig.device.tickCount, 0);
}

struct IdentifyCase {
    const char* reply;
    DeviceModel model;  // None: not identified
    bool incompatible;
};

class Identification : public ::testing::TestWithParam<IdentifyCase> {};

TEST_P(Identification, ByPrefixByteExactAndCaseSensitive) {
    const IdentifyCase& c = GetParam();
    Rig rig;
    rig.comm.versionAnswer = c.reply;
    rig.device.config.model = c.model == kBasicModel ? kTarselModel : kBasicModel;
    const DeviceModel before = rig.device.config.model;
    rig.start(ExchangeState::ReadVersion);
    const int ticks = rig.ticksUntilIdle();
    const std::string reply = c.reply;

    if (c.incompatible) {
        EXPECT_EQ(ticks, 7);
        EXPECT_EQ(rig.versionRequests(), 1);
        EXPECT_EQ(rig.device.statusText, "Incompatible version (" + reply + ")");
        EXPECT_EQ(rig.device.outcome, Outcome::Incompatible);
        EXPECT_EQ(rig.device.config.model, before);
    } else if (c.model == DeviceModel::None) {
        EXPECT_EQ(ticks, 21);
        EXPECT_EQ(rig.versionRequests(), 3);
        EXPECT_EQ(rig.device.statusText, "Wrenbolt not found : (" + reply + ")");
        EXPECT_EQ(rig.device.outcome, Outcome::NotFound);
        EXPECT_EQ(rig.device.config.model, before);
        EXPECT_EQ(rig.device.retryCount, 3);
    } else {
        EXPECT_EQ(ticks, 7);
        EXPECT_EQ(rig.device.statusText, "Version Read : \"" + reply + "\"");
        EXPECT_EQ(rig.device.outcome, Outcome::VersionRead);
        EXPECT_EQ(rig.device.config.model, c.model);
    }
    EXPECT_FALSE(rig.comm.open);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, Identification,
    ::testing::Values(IdentifyCase{"Wrenbolt v2.1\r\n", kBasicModel, false},
                      IdentifyCase{"Wrenbolt", kBasicModel, false},
                      IdentifyCase{"Wrenbolt-Tarse", kBasicModel, false},
                      IdentifyCase{"Wrenbolt-tarsel v0.54", kBasicModel, false},
                      IdentifyCase{"Wrenbolt-Tarsel", kTarselModel, false},
                      IdentifyCase{"Wrenbolt-Tarsel v1.07\r\n", kTarselModel, false},
                      IdentifyCase{"Wrenbolt-Tarsel v0.55", kTarselModel, false},
                      IdentifyCase{"Wrenbolt-Tarsel v0.5", kTarselModel, false},
                      IdentifyCase{"Wrenbolt-Tarsel v0.54", DeviceModel::None, true},
                      IdentifyCase{"Wrenbolt-Tarsel v0.54b\r\n", DeviceModel::None, true},
                      IdentifyCase{"Wrenbol", DeviceModel::None, false},
                      IdentifyCase{" Wrenbolt v2.1", DeviceModel::None, false},
                      IdentifyCase{"\r\nWrenbolt v2.1", DeviceModel::None, false},
                      IdentifyCase{"wrenbolt v2.1", DeviceModel::None, false},
                      IdentifyCase{"WRENBOLT", DeviceModel::None, false},
                      IdentifyCase{"\x01\xFF garbage", DeviceModel::None, false}));

TEST(DeviceExchange, SilentPortMakesThreeAttemptsOfSevenTicks) {
    Rig rig;
    rig.start(ExchangeState::VersionForRead);
    const auto lines = rig.ticks(21);
    EXPECT_EQ(lines, concat(repeat("Reading Version", 20), {"Wrenbolt not found : ()"}));
    for (int i = 0; i < 21; ++i) {
        EXPECT_EQ(rig.refreshes[static_cast<std::size_t>(i)], i == 6 || i == 13 || i == 20) << i;
    }
    EXPECT_EQ(rig.versionRequests(), 3);
    EXPECT_EQ(rig.comm.opens, 3);
    EXPECT_EQ(rig.device.exchangeState, ExchangeState::Idle);
    EXPECT_EQ(rig.device.config.model, DeviceModel::None);
    // Each attempt restarts the window at tick 1.
    EXPECT_EQ(rig.device.tickCount, 7);
}

TEST(DeviceExchange, StartThatCannotOpenChangesNothingButTheStatus) {
    Rig rig;
    rig.comm.openAllowed = [](int) { return false; };
    rig.device.tickCount = 42;
    rig.device.versionReply = "earlier";
    rig.start(ExchangeState::VersionForRead);
    EXPECT_EQ(rig.device.statusText, "Could not open Com Port COM3");
    EXPECT_EQ(rig.device.outcome, Outcome::PortFailed);
    EXPECT_EQ(rig.device.exchangeState, ExchangeState::Idle);
    EXPECT_EQ(rig.device.tickCount, 42);
    EXPECT_EQ(rig.device.versionReply, "earlier");
    EXPECT_TRUE(rig.comm.written.empty());
    EXPECT_FALSE(pollTick(rig.device, rig.port));
}

TEST(DeviceExchange, FailedOpenOnRetryUsesUpTheAttempts) {
    Rig rig;
    rig.comm.openAllowed = [](int n) { return n == 1; };
    rig.comm.versionAnswer = "nobody";
    rig.start(ExchangeState::ReadVersion);
    const auto lines = rig.ticks(9);
    EXPECT_EQ(lines, concat(repeat("Reading Version", 6),
                            {"Could not open Com Port COM3", "Could not open Com Port COM3",
                             "Wrenbolt not found : (nobody)"}));
    EXPECT_EQ(rig.device.exchangeState, ExchangeState::Idle);
    EXPECT_EQ(rig.device.retryCount, 3);
}

TEST(DeviceExchange, ReopenThatFailsEndsReadWithConfigNotRead) {
    Rig rig;
    rig.comm.versionAnswer = kBasicReply;
    rig.comm.imageAnswer.assign(256, 0x11);
    rig.comm.openAllowed = [](int n) { return n != 2; };
    rig.start(ExchangeState::VersionForRead);
    const auto lines = rig.ticks(14);
    EXPECT_EQ(lines, concat(concat(repeat("Reading Version", 6), repeat("Reading Config", 7)),
                            {"Config not read "}));
    EXPECT_EQ(rig.device.outcome, Outcome::ConfigNotRead);
    EXPECT_EQ(rig.device.exchangeState, ExchangeState::Idle);
    EXPECT_EQ(rig.device.config.model, kBasicModel);
}

TEST(DeviceExchange, ReopenThatFailsStillTakesEveryWriteTick) {
    Rig rig;
    rig.comm.versionAnswer = kBasicReply;
    rig.comm.openAllowed = [](int n) { return n != 2; };
    rig.device.config.model = kBasicModel;
    ASSERT_FALSE(prepareWrite(rig.device, rig.port, CodecContext{}));
    EXPECT_EQ(rig.ticksUntilIdle(), 17);
    EXPECT_EQ(rig.device.statusText, "Config not read ");
    EXPECT_EQ(rig.comm.written.size(), 2u);  // the version request only
}

TEST(DeviceExchange, RestartAbandonsTheOperationUnderWay) {
    Rig rig;
    rig.comm.versionAnswer = kBasicReply;
    rig.start(ExchangeState::VersionForWrite);
    rig.ticks(3);
    EXPECT_EQ(rig.device.versionReply, kBasicReply);
    rig.comm.versionAnswer = kTarselReply;
    rig.start(ExchangeState::ReadVersion);
    EXPECT_EQ(rig.device.exchangeState, ExchangeState::ReadVersion);
    EXPECT_EQ(rig.device.tickCount, 0);
    EXPECT_TRUE(rig.device.versionReply.empty());
    EXPECT_EQ(rig.comm.opens, 2);
    EXPECT_EQ(rig.comm.closes, 1);  // the open closed the old port first
    EXPECT_EQ(rig.ticksUntilIdle(), 7);
    EXPECT_EQ(rig.device.config.model, kTarselModel);
    EXPECT_EQ(rig.device.statusText, "Version Read : \"" + kTarselReply + "\"");
}

TEST(DeviceExchange, TickInIdleOrUnknownStateOnlyCounts) {
    for (const std::int32_t state : {0, 4, 8, -1, 99}) {
        Rig rig;
        rig.device.exchangeState = static_cast<ExchangeState>(state);
        rig.device.statusText = "unchanged";
        rig.device.tickCount = 5;
        BeaconDevice expected = rig.device;
        expected.tickCount = 6;
        EXPECT_FALSE(pollTick(rig.device, rig.port)) << state;
        EXPECT_EQ(rig.device.tickCount, 6) << state;
        EXPECT_EQ(rig.device.statusText, "unchanged");
        EXPECT_EQ(static_cast<std::int32_t>(rig.device.exchangeState), state);
        EXPECT_EQ(rig.comm.reads + rig.comm.opens + static_cast<int>(rig.comm.written.size()), 0);
    }
}

struct ImageLengthCase {
    int length;
    const char* status;
};

class ImageLength : public ::testing::TestWithParam<ImageLengthCase> {};

TEST_P(ImageLength, ReadConfigGathersEveryByteAndJudgesTheLength) {
    const ImageLengthCase& c = GetParam();
    Rig rig;
    rig.comm.versionAnswer = kTarselReply;
    for (int i = 0; i < c.length; ++i) rig.comm.imageAnswer.push_back(static_cast<std::uint8_t>(i * 7));
    rig.start(ExchangeState::VersionForRead);
    const auto lines = rig.ticks(14);
    EXPECT_EQ(lines, concat(concat(repeat("Reading Version", 6), repeat("Reading Config", 7)),
                            {c.status}));
    EXPECT_EQ(rig.refreshes[6], true);
    EXPECT_EQ(rig.refreshes[13], true);
    EXPECT_EQ(rig.device.images.receivedLength, c.length);
    for (int i = 0; i < std::min(c.length, 256); ++i) {
        ASSERT_EQ(rig.device.images.incomingImage[static_cast<std::size_t>(i)],
                  static_cast<std::uint8_t>(i * 7));
    }
    EXPECT_FALSE(rig.comm.open);
    EXPECT_EQ(rig.device.exchangeState, ExchangeState::Idle);
}

INSTANTIATE_TEST_SUITE_P(Lengths, ImageLength,
                         ::testing::Values(ImageLengthCase{256, "Read Config Successful"},
                                           ImageLengthCase{255, "Corrupted EEPROM"},
                                           ImageLengthCase{300, "Corrupted EEPROM"},
                                           ImageLengthCase{1, "Corrupted EEPROM"},
                                           ImageLengthCase{0, "Config not read "}));

TEST(DeviceExchange, ReadRequestGoesOutWithTenMillisecondPauses) {
    Rig rig;
    rig.comm.versionAnswer = kBasicReply;
    rig.start(ExchangeState::VersionForRead);
    rig.ticks(7);
    ASSERT_EQ(rig.comm.written.size(), 4u);
    EXPECT_EQ(rig.comm.written[2].byte, 0x1B);
    EXPECT_EQ(rig.comm.written[3].byte, 'U');
    EXPECT_EQ(rig.comm.written[2].pauseMs, 10u);
    EXPECT_EQ(rig.comm.written[3].pauseMs, 10u);
    EXPECT_TRUE(rig.comm.open);
    EXPECT_EQ(rig.device.tickCount, 0);
    EXPECT_EQ(rig.device.images.receivedLength, 0);
}

// A peer that never stops sending: every drain stops at 600 bytes, the
// reply keeps its first 1,024, and each operation still ends on time.
TEST(DeviceExchange, EndlessPeerCannotHoldATick) {
    struct Case {
        ExchangeState first;
        std::string pattern;
        int ticks;
        std::string status;
        Outcome outcome;
    };
    const std::string basicStream = [] {
        std::string s;
        while (s.size() < 1024) s += kBasicReply;
        return s.substr(0, 1024);
    }();
    const Case cases[] = {
        {ExchangeState::ReadVersion, "x", 21, "Wrenbolt not found : (" + std::string(1024, 'x') + ")", Outcome::NotFound},
        {ExchangeState::VersionForRead, "x", 21, "Wrenbolt not found : (" + std::string(1024, 'x') + ")", Outcome::NotFound},
        {ExchangeState::VersionForWrite, "x", 21, "Wrenbolt not found : (" + std::string(1024, 'x') + ")", Outcome::NotFound},
        {ExchangeState::ReadVersion, kBasicReply, 7, "Version Read : \"" + basicStream + "\"", Outcome::VersionRead},
        {ExchangeState::VersionForRead, kBasicReply, 14, "Corrupted EEPROM", Outcome::CorruptedEeprom},
        {ExchangeState::VersionForWrite, kBasicReply, 17, "Verify FAILED SIZE", Outcome::VerifyFailedSize},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.first));
        Rig rig;
        rig.comm.endlessPattern = c.pattern;
        rig.device.config.model = kBasicModel;
        if (c.first == ExchangeState::VersionForWrite) {
            ASSERT_FALSE(prepareWrite(rig.device, rig.port, CodecContext{}));
        } else {
            rig.start(c.first);
        }
        int worst = 0;
        int ticks = 0;
        while (exchangeBusy(rig.device) && ticks < 100) {
            const int before = rig.comm.reads;
            pollTick(rig.device, rig.port);
            worst = std::max(worst, rig.comm.reads - before);
            ++ticks;
            ASSERT_LE(rig.device.versionReply.size(), 1024u);
        }
        EXPECT_EQ(ticks, c.ticks);
        EXPECT_EQ(worst, 600);
        EXPECT_EQ(rig.device.statusText, c.status);
        EXPECT_EQ(rig.device.outcome, c.outcome);
    }
}

}  // namespace
}  // namespace wb
