// The exchange against the simulated beacon on a virtual clock: whole
// operations of both models, what the EEPROM holds afterwards, the time
// each tick blocks, the beacon's fault modes, and a third model added as a
// table row and a layout only.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/beacon_device.h"
#include "exchange/device_exchange.h"
#include "image/image_texts.h"
#include "image/model_dispatch.h"
#include "image/model_table.h"
#include "serial/serial_port.h"
#include "sim/sim_port.h"
#include "sim/simulated_beacon.h"
#include "sim/simulated_comm.h"
#include "sim/virtual_clock.h"

namespace wb {
namespace {

// Shortens every pause of the host, as a careless port driver would.
class HurriedComm : public CommApi {
public:
    HurriedComm(CommApi& inner, std::uint32_t pauseMs) : inner_(inner), pauseMs_(pauseMs) {}
    CommHandle openPort(const std::string& n) override { return inner_.openPort(n); }
    bool getLineSettings(CommHandle h, LineSettings& s) override { return inner_.getLineSettings(h, s); }
    bool setLineSettings(CommHandle h, const LineSettings& s) override { return inner_.setLineSettings(h, s); }
    bool setTimeouts(CommHandle h, const CommTimeouts& t) override { return inner_.setTimeouts(h, t); }
    bool writeByte(CommHandle h, std::uint8_t b, std::uint32_t& w) override { return inner_.writeByte(h, b, w); }
    bool readBytes(CommHandle h, std::uint8_t* b, std::uint32_t c, std::uint32_t& g) override {
        return inner_.readBytes(h, b, c, g);
    }
    bool closePort(CommHandle h) override { return inner_.closePort(h); }
    void sleepMs(std::uint32_t ms) override { inner_.sleepMs(ms < pauseMs_ ? ms : pauseMs_); }

private:
    CommApi& inner_;
    std::uint32_t pauseMs_;
};

struct SimRig {
    VirtualClock clock;
    SimulatedBeacon beacon;
    SimulatedComm comm;
    SerialPort port;
    BeaconDevice device;
    std::vector<std::int64_t> tickUs;  // virtual time each tick blocked
    ModelTable models = kModels;

    explicit SimRig(BeaconOptions options, CommApi* (*wrap)(CommApi&) = nullptr)
        : beacon(std::move(options)), comm(beacon, clock), port(wrap ? *wrap(comm) : comm) {
        port.setPortName(beacon.options().model == kTarselModel ? "sim:tarsel" : "sim:basic");
    }
    void start(ExchangeState first) {
        device.retryCount = 0;
        startOperation(device, port, first);
    }
    std::vector<std::string> runToIdle(int limit = 100) {
        std::vector<std::string> lines;
        while (exchangeBusy(device) && static_cast<int>(lines.size()) < limit) {
            const std::int64_t before = clock.nowUs();
            pollTick(device, port, models);
            tickUs.push_back(clock.nowUs() - before);
            lines.push_back(device.statusText);
        }
        return lines;
    }
};

BeaconOptions beaconOf(DeviceModel model, BeaconFault fault = BeaconFault::None) {
    BeaconOptions options;
    options.model = model;
    options.fault = fault;
    return options;
}

class SimModels : public ::testing::TestWithParam<DeviceModel> {};

TEST_P(SimModels, ReadConfigDecodesTheBeaconsImage) {
    SimRig rig(beaconOf(GetParam()));
    rig.start(ExchangeState::VersionForRead);
    const auto lines = rig.runToIdle();
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[5], "Reading Version");
    EXPECT_EQ(lines[6], "Reading Config");
    EXPECT_EQ(lines[12], "Reading Config");
    EXPECT_EQ(lines[13], "Read Config Successful");
    EXPECT_EQ(rig.device.config.model, GetParam());
    EXPECT_EQ(rig.device.images.receivedLength, 256);
    EXPECT_EQ(rig.device.images.incomingImage, rig.beacon.eeprom());
    EXPECT_FALSE(rig.comm.isOpen());
    // Every collecting tick ends with one empty read of about 103 ms.
    for (std::size_t i = 0; i < rig.tickUs.size(); ++i) EXPECT_GE(rig.tickUs[i], 103000) << i;
    // The image (256 bytes at 2400 baud, about 1.07 s) is gathered by the
    // first tick after the request, which blocks until it has all come.
    EXPECT_GT(rig.tickUs[7], 1000000);
    EXPECT_LT(rig.tickUs[8], 104000);
}

TEST_P(SimModels, WriteConfigLeavesExactlyTheEncodedImageInTheEeprom) {
    SimRig rig(beaconOf(GetParam()));
    rig.device.config.model = GetParam();
    rig.device.config.morseText = "VVV DE TEST";
    rig.device.config.morseSpeedWpm = 12;
    ASSERT_FALSE(prepareWrite(rig.device, rig.port, CodecContext{}));
    const ConfigImage sent = rig.device.images.outgoingImage;
    ASSERT_NE(sent, rig.beacon.eeprom());
    const auto lines = rig.runToIdle();
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(lines.back(), "Config Written Successfully!");
    EXPECT_EQ(rig.beacon.eeprom(), sent);
    EXPECT_EQ(rig.beacon.lostBytes(), 0);
    EXPECT_EQ(rig.device.config.morseText, "VVV DE TEST");
    // Tick 7 sends the write request (4 bytes, 10 ms each); each chunk tick
    // blocks for its 32 pauses of 20 ms.
    EXPECT_GE(rig.tickUs[6], 103000 + 40000);
    for (std::size_t i = 7; i < 15; ++i) {
        EXPECT_GE(rig.tickUs[i], 640000) << i;
        EXPECT_LT(rig.tickUs[i], 640000 + 32 * kByteTimeUs + 1000) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Both, SimModels, ::testing::Values(kBasicModel, kTarselModel));

TEST(SimExchange, PacingFaultIsCaughtByVerification) {
    static std::unique_ptr<HurriedComm> hurried;
    SimRig rig(beaconOf(kTarselModel), [](CommApi& inner) -> CommApi* {
        hurried = std::make_unique<HurriedComm>(inner, 5);
        return hurried.get();
    });
    rig.device.config.model = kTarselModel;
    rig.device.config.morseText = "PACING";
    ASSERT_FALSE(prepareWrite(rig.device, rig.port, CodecContext{}));
    rig.runToIdle();
    EXPECT_GT(rig.beacon.lostBytes(), 0);
    EXPECT_EQ(rig.device.statusText, "Verify Failed");
    EXPECT_NE(rig.device.config.morseText.size(), 0u);
    hurried.reset();
}

struct FaultCase {
    const char* name;
    DeviceModel model;
    BeaconFault fault;
    ExchangeState operation;
    std::string status;
    Outcome outcome;
    int ticks;
};

class SimFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(SimFaults, EndsWithTheRightTextWithinItsTicks) {
    const FaultCase& c = GetParam();
    SimRig rig(beaconOf(c.model, c.fault));
    rig.device.config.model = c.model;
    if (c.operation == ExchangeState::VersionForWrite) {
        ASSERT_FALSE(prepareWrite(rig.device, rig.port, CodecContext{}));
    } else {
        rig.start(c.operation);
    }
    const auto lines = rig.runToIdle();
    EXPECT_EQ(rig.device.statusText, c.status);
    EXPECT_EQ(rig.device.outcome, c.outcome);
    EXPECT_EQ(static_cast<int>(lines.size()), c.ticks);
    EXPECT_FALSE(rig.comm.isOpen());
}

const std::string kSparrow = "Sparrow v3.0\r\n";

INSTANTIATE_TEST_SUITE_P(
    Faults, SimFaults,
    ::testing::Values(
        FaultCase{"Silent", kBasicModel, BeaconFault::Silent, ExchangeState::ReadVersion,
                  "Wrenbolt not found : ()", Outcome::NotFound, 21},
        FaultCase{"OtherProduct", kBasicModel, BeaconFault::OtherProduct,
                  ExchangeState::VersionForRead, "Wrenbolt not found : (" + kSparrow + ")", Outcome::NotFound, 21},
        FaultCase{"Incompatible", kTarselModel, BeaconFault::IncompatibleFirmware,
                  ExchangeState::VersionForWrite, "Incompatible version (Wrenbolt-Tarsel v0.54\r\n)", Outcome::Incompatible, 7},
        FaultCase{"ShortRead", kTarselModel, BeaconFault::ImageShort,
                  ExchangeState::VersionForRead, "Corrupted EEPROM", Outcome::CorruptedEeprom, 14},
        FaultCase{"LongRead", kBasicModel, BeaconFault::ImageLong,
                  ExchangeState::VersionForRead, "Corrupted EEPROM", Outcome::CorruptedEeprom, 14},
        FaultCase{"ShortReadBack", kBasicModel, BeaconFault::ImageShort,
                  ExchangeState::VersionForWrite, "Verify FAILED SIZE", Outcome::VerifyFailedSize, 17},
        FaultCase{"LongReadBack", kTarselModel, BeaconFault::ImageLong,
                  ExchangeState::VersionForWrite, "Verify FAILED SIZE", Outcome::VerifyFailedSize, 17},
        FaultCase{"SlowStart", kTarselModel, BeaconFault::SlowStart,
                  ExchangeState::VersionForRead, "Read Config Successful", Outcome::ConfigRead, 21},
        FaultCase{"EndlessRead", kBasicModel, BeaconFault::EndlessReply,
                  ExchangeState::VersionForRead, "Corrupted EEPROM", Outcome::CorruptedEeprom, 14},
        FaultCase{"EndlessWrite", kTarselModel, BeaconFault::EndlessReply,
                  ExchangeState::VersionForWrite, "Verify FAILED SIZE", Outcome::VerifyFailedSize, 17},
        FaultCase{"LineDropRead", kBasicModel, BeaconFault::LineDrop,
                  ExchangeState::VersionForRead, "Corrupted EEPROM", Outcome::CorruptedEeprom, 14},
        FaultCase{"LineDropWrite", kTarselModel, BeaconFault::LineDrop,
                  ExchangeState::VersionForWrite, "Config not read ", Outcome::ConfigNotRead, 17}),
    [](const ::testing::TestParamInfo<FaultCase>& param) { return std::string(param.param.name); });

// A fleet on one cable: each beacon is removed after its write and
// read-back, the cable is empty for 6 s, then the next beacon answers with
// its factory image; a line drop removes a beacon too.
TEST(SimFleet, BeaconsComeAndGoAroundEachWrite) {
    VirtualClock clock;
    const std::string name = "sim:fleet=tarsel,basic,tarsel/line-drop";
    auto link = makeSimLink(name, clock);
    ASSERT_TRUE(link.has_value());
    SimulatedFleet& fleet = *link->fleet;
    SerialPort port(*link->comm);
    port.setPortName(name);
    BeaconDevice device;
    const auto run = [&](ExchangeState first) {
        device.retryCount = 0;
        startOperation(device, port, first);
        while (exchangeBusy(device)) pollTick(device, port);
        return device.statusText;
    };
    const auto write = [&](DeviceModel model, const char* text) {
        device.config.model = model;
        device.config.morseText = text;
        EXPECT_FALSE(prepareWrite(device, port, CodecContext{}));
        while (exchangeBusy(device)) pollTick(device, port);
        return device.statusText;
    };

    EXPECT_EQ(write(kTarselModel, "MOE"), "Config Written Successfully!");
    const std::int64_t writtenUs = clock.nowUs();
    EXPECT_EQ(run(ExchangeState::ReadVersion), "Wrenbolt not found : ()");
    // The next beacon is connected 6 s after the read-back: identification
    // finds it at the first attempt that starts after that.
    std::string status;
    while ((status = run(ExchangeState::VersionForRead)) != "Read Config Successful") {
        ASSERT_LT(clock.nowUs() - writtenUs, 10'000'000) << status;
    }
    EXPECT_GE(clock.nowUs() - writtenUs, kFleetSwapUs);
    EXPECT_EQ(device.config.model, kBasicModel);
    EXPECT_EQ(device.images.incomingImage, factoryImage(kBasicModel));

    EXPECT_EQ(write(kBasicModel, "MOI"), "Config Written Successfully!");
    while (run(ExchangeState::ReadVersion) != "Version Read : \"Wrenbolt-Tarsel v1.07\r\n\"") {
        ASSERT_LT(fleet.events().size(), 6u);
    }
    EXPECT_EQ(write(kTarselModel, "MOS"), "Config not read ");
    EXPECT_EQ(run(ExchangeState::ReadVersion), "Wrenbolt not found : ()");
    clock.advanceUs(60'000'000);
    EXPECT_EQ(run(ExchangeState::ReadVersion), "Wrenbolt not found : ()");

    ASSERT_EQ(fleet.beacons().size(), 3u);
    EXPECT_EQ(fleet.connected(), nullptr);
    const auto& events = fleet.events();
    ASSERT_EQ(events.size(), 6u);
    for (std::size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].index, i / 2);
        EXPECT_EQ(events[i].connected, i % 2 == 0);
        if (i >= 2 && i % 2 == 0) {
            EXPECT_EQ(events[i].atUs - events[i - 1].atUs, kFleetSwapUs);
        }
    }
    BeaconDevice encoded;
    encoded.config.model = kBasicModel;
    encoded.config.morseText = "MOI";
    encodeForModel(encoded, CodecContext{});
    EXPECT_EQ(fleet.beacons()[1]->eeprom(), encoded.images.outgoingImage);
    EXPECT_TRUE(fleet.beacons()[2]->lineDropped());
}

TEST(SimFleet, PortNames) {
    struct Case {
        const char* name;
        std::size_t beacons;  // 0: not a sim port
        bool swapping;
        DeviceModel last;
        BeaconFault lastFault;
    };
    const std::vector<Case> cases{
        {"sim:tarsel", 1, false, kTarselModel, BeaconFault::None},
        {"sim:tarsel:fleet=3", 3, true, kTarselModel, BeaconFault::None},
        {"sim:basic:fleet=2:silent", 2, true, kBasicModel, BeaconFault::Silent},
        {"sim:basic:silent:fleet=1", 1, true, kBasicModel, BeaconFault::Silent},
        {"sim:fleet=tarsel,basic,tarsel/line-drop", 3, true, kTarselModel, BeaconFault::LineDrop},
        {"sim:fleet=basic", 1, true, kBasicModel, BeaconFault::None},
        {"sim:tarsel:fleet=0", 0, false, DeviceModel::None, BeaconFault::None},
        {"sim:tarsel:fleet=100", 0, false, DeviceModel::None, BeaconFault::None},
        {"sim:tarsel:fleet=3x", 0, false, DeviceModel::None, BeaconFault::None},
        {"sim:tarsel:fleet=2:fleet=3", 0, false, DeviceModel::None, BeaconFault::None},
        {"sim:tarsel:silent:endless", 0, false, DeviceModel::None, BeaconFault::None},
        {"sim:tarsel/silent", 0, false, DeviceModel::None, BeaconFault::None},
        {"sim:fleet=", 0, false, DeviceModel::None, BeaconFault::None},
        {"sim:fleet=tarsel,", 0, false, DeviceModel::None, BeaconFault::None},
        {"sim:fleet=tarsel,Basic", 0, false, DeviceModel::None, BeaconFault::None},
        {"sim:fleet=tarsel/sometimes", 0, false, DeviceModel::None, BeaconFault::None},
    };
    for (const Case& c : cases) {
        VirtualClock clock;
        auto link = makeSimLink(c.name, clock);
        EXPECT_EQ(isSimPortName(c.name), c.beacons > 0) << c.name;
        ASSERT_EQ(link.has_value(), c.beacons > 0) << c.name;
        if (!link) continue;
        EXPECT_EQ(link->fleet->size(), c.beacons) << c.name;
        EXPECT_EQ(link->fleet->swapping(), c.swapping) << c.name;
        EXPECT_EQ(link->fleet->options().beacons.back().model, c.last) << c.name;
        EXPECT_EQ(link->fleet->options().beacons.back().fault, c.lastFault) << c.name;
        EXPECT_EQ(link->beacon, link->fleet->beacons().front().get());
    }
}

// A third model, known only here: a row and a trivial layout (the text from
// byte 0, ended by a 0 byte; the speed at 200; a marker at 255).
constexpr auto kKite = static_cast<DeviceModel>(7);
constexpr std::uint8_t kKiteMarker = 0x4B;

EncodedImage encodeKite(const DeviceConfig& record, bool) {
    EncodedImage encoded;
    ConfigImage& image = encoded.image;
    const std::string& text = record.morseText;
    const std::size_t length = std::min<std::size_t>(text.size(), 199);
    std::copy_n(text.begin(), length, image.begin());
    encoded.morseSpeedWpm = record.morseSpeedWpm;
    image[200] = static_cast<std::uint8_t>(encoded.morseSpeedWpm);
    image[255] = kKiteMarker;
    encoded.textCut = length < text.size();
    return encoded;
}

void decodeKite(const ConfigImage& image, DeviceConfig& record) {
    record.morseText.assign(reinterpret_cast<const char*>(image.data()));
    record.morseSpeedWpm = image[200];
}

constexpr std::array<VersionRule, 2> kKiteVersions{{
    {"Wrenbolt-Kite", VersionVerdict::Identifies},
    {"Wrenbolt-Kite v0.1", VersionVerdict::Incompatible},
}};
constexpr std::array<std::string_view, 3> kKiteMembers{"model", "morseText", "morseSpeedWpm"};
constexpr ModelInfo kKiteRow{kKite, "kite", "Kite", kKiteVersions, encodeKite, decodeKite,
                             kKiteMembers, "Wrenbolt-Kite v1.0"};
constexpr std::array<ModelInfo, 3> kWithKite{kModels[0], kModels[1], kKiteRow};

SimRig kiteRig(std::string versionText = "Wrenbolt-Kite v1.0\r\n") {
    BeaconOptions options;
    options.versionText = std::move(versionText);
    options.eeprom = factoryImage(kKiteRow);
    return SimRig(options);
}

TEST(SimThirdModel, IdentifiesReadsWritesAndVerifiesFromItsRowAlone) {
    {
        SimRig rig = kiteRig();
        rig.models = kWithKite;
        rig.start(ExchangeState::ReadVersion);
        rig.runToIdle();
        EXPECT_EQ(rig.device.statusText, "Version Read : \"Wrenbolt-Kite v1.0\r\n\"");
        EXPECT_EQ(rig.device.config.model, kKite);
    }
    {
        SimRig rig = kiteRig();
        rig.models = kWithKite;
        rig.start(ExchangeState::VersionForRead);
        const auto lines = rig.runToIdle();
        ASSERT_EQ(lines.size(), 14u);
        EXPECT_EQ(lines.back(), "Read Config Successful");
        EXPECT_EQ(rig.device.config.model, kKite);
        EXPECT_EQ(rig.device.config.morseText, DeviceConfig{}.morseText);
        EXPECT_EQ(rig.device.config.morseSpeedWpm, DeviceConfig{}.morseSpeedWpm);
    }
    {
        SimRig rig = kiteRig();
        rig.models = kWithKite;
        rig.device.config.model = kKite;
        rig.device.config.morseText = "KITE";
        rig.device.config.morseSpeedWpm = 17;
        ASSERT_FALSE(prepareWrite(rig.device, rig.port, CodecContext{}, kWithKite));
        const auto lines = rig.runToIdle();
        ASSERT_EQ(lines.size(), 17u);
        EXPECT_EQ(lines.back(), "Config Written Successfully!");
        ConfigImage expected{};
        std::copy_n("KITE", 4, expected.begin());
        expected[200] = 17;
        expected[255] = kKiteMarker;
        EXPECT_EQ(rig.beacon.eeprom(), expected);
        EXPECT_EQ(rig.device.config.morseText, "KITE");
    }
}

// The longest matching prefix decides, across rows: the third model's
// words begin with the first model's, and its old firmware with its own.
TEST(SimThirdModel, VersionRulesAcrossRows) {
    struct Case {
        const char* reply;
        bool withKite;
        std::string status;
        DeviceModel model;
    };
    const std::vector<Case> cases{
        {"Wrenbolt-Kite v1.0\r\n", true, "Version Read : \"Wrenbolt-Kite v1.0\r\n\"", kKite},
        {"Wrenbolt-Kite v0.1\r\n", true, "Incompatible version (Wrenbolt-Kite v0.1\r\n)", DeviceModel::None},
        {"Wrenbolt-Tarsel v1.07\r\n", true, "Version Read : \"Wrenbolt-Tarsel v1.07\r\n\"", kTarselModel},
        {"Wrenbolt-Tarsel v0.54\r\n", true, "Incompatible version (Wrenbolt-Tarsel v0.54\r\n)", DeviceModel::None},
        {"Wrenbolt v2.1\r\n", true, "Version Read : \"Wrenbolt v2.1\r\n\"", kBasicModel},
        // Without its row the product's tables take it for the first model.
        {"Wrenbolt-Kite v1.0\r\n", false, "Version Read : \"Wrenbolt-Kite v1.0\r\n\"", kBasicModel},
        {"Wrenbolt-Kite v0.1\r\n", false, "Version Read : \"Wrenbolt-Kite v0.1\r\n\"", kBasicModel},
        {"Wrenbol v2.1\r\n", true, "Wrenbolt not found : (Wrenbol v2.1\r\n)", DeviceModel::None},
    };
    for (const Case& c : cases) {
        SimRig rig = kiteRig(c.reply);
        if (c.withKite) rig.models = kWithKite;
        rig.start(ExchangeState::ReadVersion);
        rig.runToIdle();
        EXPECT_EQ(rig.device.statusText, c.status) << c.reply;
        EXPECT_EQ(rig.device.config.model, c.model) << c.reply;
    }
}

// An image laid out for the third model is never sent to another.
TEST(SimThirdModel, WriteToAnotherModelIsRefused) {
    SimRig rig(beaconOf(kTarselModel));
    rig.models = kWithKite;
    const ConfigImage before = rig.beacon.eeprom();
    rig.device.config.model = kKite;
    ASSERT_FALSE(prepareWrite(rig.device, rig.port, CodecContext{}, kWithKite));
    rig.runToIdle();
    EXPECT_EQ(rig.device.statusText, "Model mismatch: Read Config First");
    EXPECT_EQ(rig.beacon.eeprom(), before);
}

}  // namespace
}  // namespace wb
