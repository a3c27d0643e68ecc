#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/sim_port.h"
#include "sim/simulated_comm.h"
#include "sim/virtual_clock.h"

namespace wb {
namespace {

constexpr std::uint8_t kEsc = 0x1B;

// The port as the program opens it: 2400 8N1 and its read time-outs.
struct OpenLink {
    VirtualClock clock;
    SimulatedBeacon beacon;
    SimulatedComm comm;
    CommHandle handle = kInvalidCommHandle;

    explicit OpenLink(BeaconOptions options = {}) : beacon(std::move(options)), comm(beacon, clock) {
        handle = open("sim:basic");
    }

    CommHandle open(const std::string& name) {
        const CommHandle h = comm.openPort(name);
        if (h == kInvalidCommHandle) return h;
        LineSettings settings;
        comm.getLineSettings(h, settings);
        settings.baudRate = 2400;
        settings.byteSize = 8;
        settings.parity = 0;
        settings.stopBits = 0;
        comm.setLineSettings(h, settings);
        comm.setTimeouts(h, CommTimeouts{50, 3, 100, 2, 300});
        return h;
    }

    void write(const std::vector<std::uint8_t>& bytes, std::uint32_t pauseMs) {
        for (std::uint8_t b : bytes) {
            std::uint32_t written = 0;
            comm.writeByte(handle, b, written);
            comm.sleepMs(pauseMs);
        }
    }

    // One-byte reads until one yields nothing, as the exchange drains.
    std::string drain() {
        std::string got;
        for (;;) {
            std::uint8_t byte = 0;
            std::uint32_t n = 0;
            if (!comm.readBytes(handle, &byte, 1, n) || n == 0) return got;
            got.push_back(static_cast<char>(byte));
        }
    }
};

TEST(SimulatedComm, OneByteReadWithNothingDueWaits103Ms) {
    OpenLink link;
    std::uint8_t byte = 0;
    std::uint32_t got = 7;
    EXPECT_TRUE(link.comm.readBytes(link.handle, &byte, 1, got));
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(link.clock.nowUs(), 103'000);
    EXPECT_EQ(link.comm.trace().back().tookUs, 103'000);
}

TEST(SimulatedComm, ReadTimeoutsFollowTheWindowsRules) {
    struct Case {
        const char* name;
        CommTimeouts timeouts;
        std::uint32_t count;
        std::uint32_t got;
        std::int64_t tookUs;
    };
    // After ESC 'V' sent at 0: the 15 reply bytes arrive from 12.5 ms to
    // 70.8 ms (the request itself takes two byte times).
    const std::int64_t lastByte = 2 * 4166 + 62'500;
    const std::vector<Case> cases{
        {"one byte waits for the first", {50, 3, 100, 2, 300}, 1, 1, 2 * 4166 + 4166},
        {"interval ends a long read", {50, 3, 100, 2, 300}, 64, 15, lastByte + 50'000},
        {"total ends a long read", {50, 0, 30, 2, 300}, 64, 5, 30'000},
        {"exact count returns at once", {50, 3, 100, 2, 300}, 15, 15, lastByte},
        {"no interval waits for the total", {0, 3, 100, 2, 300}, 64, 15, 292'000},
        {"MAXDWORD interval returns at once", {0xFFFFFFFFu, 0, 0, 0, 0}, 64, 0, 0},
    };
    for (const Case& c : cases) {
        OpenLink link;
        link.comm.setTimeouts(link.handle, c.timeouts);
        link.write({kEsc, 'V'}, 0);
        std::vector<std::uint8_t> buffer(c.count);
        std::uint32_t got = 0;
        EXPECT_TRUE(link.comm.readBytes(link.handle, buffer.data(), c.count, got)) << c.name;
        EXPECT_EQ(got, c.got) << c.name;
        // A byte "arrives" when its stop bit has: rounding may differ by 1 us.
        EXPECT_NEAR(static_cast<double>(link.clock.nowUs()), static_cast<double>(c.tookUs), 2.0)
            << c.name;
    }
}

TEST(SimulatedComm, WaitingByteReturnsWithoutWaiting) {
    OpenLink link;
    link.write({kEsc, 'V'}, 0);
    link.clock.advanceUs(200'000);
    std::uint8_t byte = 0;
    std::uint32_t got = 0;
    ASSERT_TRUE(link.comm.readBytes(link.handle, &byte, 1, got));
    EXPECT_EQ(got, 1u);
    EXPECT_EQ(byte, 'W');
    EXPECT_EQ(link.clock.nowUs(), 200'000);
}

TEST(SimulatedComm, DrainingTheVersionReply) {
    OpenLink link;
    link.write({kEsc, 'V'}, 0);
    EXPECT_EQ(link.drain(), "Wrenbolt v2.1\r\n");
    // Last byte at 70.8 ms, then one empty read of 103 ms.
    EXPECT_EQ(link.clock.nowUs(), 2 * 4166 + 62'500 + 103'000);
}

TEST(SimulatedComm, ChunkedWriteWith20MsPausesIsStored) {
    OpenLink link;
    ConfigImage image{};
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(255 - i);
    link.write({kEsc, 'D', 0xAA, 'U'}, 10);
    for (std::size_t chunk = 0; chunk < 8; ++chunk) {
        link.write(std::vector<std::uint8_t>(image.begin() + 32 * chunk,
                                             image.begin() + 32 * (chunk + 1)),
                   20);
        link.drain();  // the tick's read time-out between chunks
    }
    EXPECT_EQ(link.beacon.eeprom(), image);
    EXPECT_EQ(link.beacon.lostBytes(), 0);
    EXPECT_EQ(link.clock.nowUs(), 4 * 10'000 + 8 * (32 * 20'000 + 103'000));

    link.write({kEsc, 'U'}, 10);
    const std::string back = link.drain();
    ASSERT_EQ(back.size(), 256u);
    EXPECT_TRUE(std::equal(image.begin(), image.end(),
                           reinterpret_cast<const std::uint8_t*>(back.data())));
}

TEST(SimulatedComm, WritesWithoutPausesLoseBytes) {
    OpenLink link;
    ConfigImage image{};
    image.fill(0x42);
    link.write({kEsc, 'D', 0xAA, 'U'}, 10);
    link.write(std::vector<std::uint8_t>(image.begin(), image.end()), 0);
    // Back to back they still leave one per byte time, 4.17 ms apart.
    EXPECT_EQ(link.beacon.lostBytes(), 192);
    EXPECT_NE(link.beacon.eeprom(), image);
}

TEST(SimulatedComm, OpeningPorts) {
    VirtualClock clock;
    SimulatedBeacon beacon;
    SimulatedComm comm(beacon, clock);
    comm.addPortName("COM3");
    comm.refusePortName("sim:tarsel");

    EXPECT_EQ(comm.openPort("COM4"), kInvalidCommHandle);
    EXPECT_EQ(comm.openPort("sim:tarsel"), kInvalidCommHandle);
    EXPECT_EQ(comm.openPort("SIM:BASIC"), kInvalidCommHandle);

    const CommHandle first = comm.openPort("COM3");
    ASSERT_NE(first, kInvalidCommHandle);
    EXPECT_EQ(comm.openName(), "COM3");
    // One holder at a time, as with a port another program has open.
    EXPECT_EQ(comm.openPort("COM3"), kInvalidCommHandle);
    EXPECT_EQ(comm.openPort("sim:basic"), kInvalidCommHandle);
    ASSERT_TRUE(comm.closePort(first));
    EXPECT_FALSE(comm.closePort(first));

    const CommHandle second = comm.openPort("sim:basic");
    ASSERT_NE(second, kInvalidCommHandle);
    EXPECT_NE(second, first);
    // A stale handle is refused by every call.
    std::uint32_t n = 0;
    std::uint8_t byte = 0;
    LineSettings settings;
    EXPECT_FALSE(comm.writeByte(first, 1, n));
    EXPECT_FALSE(comm.readBytes(first, &byte, 1, n));
    EXPECT_FALSE(comm.getLineSettings(first, settings));
    EXPECT_FALSE(comm.closePort(first));
    EXPECT_TRUE(comm.closePort(second));

    comm.setBusy(true);
    EXPECT_EQ(comm.openPort("sim:basic"), kInvalidCommHandle);
}

TEST(SimulatedComm, InjectedFailuresHitTheirStepOnce) {
    for (CommStep step : {CommStep::Open, CommStep::GetLineSettings, CommStep::SetLineSettings,
                          CommStep::SetTimeouts, CommStep::Write, CommStep::Read,
                          CommStep::Close}) {
        VirtualClock clock;
        SimulatedBeacon beacon;
        SimulatedComm comm(beacon, clock);
        comm.failStep(step, 1);
        // The calls of an open, a request and a close; the step that failed.
        auto run = [&]() -> std::optional<CommStep> {
            const CommHandle h = comm.openPort("sim:basic");
            if (h == kInvalidCommHandle) return CommStep::Open;
            LineSettings settings;
            std::uint32_t n = 0;
            std::uint8_t byte = 0;
            if (!comm.getLineSettings(h, settings)) return CommStep::GetLineSettings;
            if (!comm.setLineSettings(h, settings)) return CommStep::SetLineSettings;
            if (!comm.setTimeouts(h, CommTimeouts{50, 3, 100, 2, 300})) return CommStep::SetTimeouts;
            if (!comm.writeByte(h, 0, n)) return CommStep::Write;
            if (!comm.readBytes(h, &byte, 1, n)) return CommStep::Read;
            if (!comm.closePort(h)) return CommStep::Close;
            return std::nullopt;
        };
        EXPECT_EQ(run(), step) << commStepName(step);
        // A failed close leaves the port open, as CloseHandle would.
        EXPECT_EQ(comm.isOpen(), step != CommStep::Open) << commStepName(step);
        if (comm.isOpen()) {
            ASSERT_TRUE(comm.closePort(1));
        }
        EXPECT_EQ(run(), std::nullopt) << commStepName(step);
        EXPECT_FALSE(comm.isOpen()) << commStepName(step);
    }
}

TEST(SimulatedComm, PortKeepsItsSettingsAcrossOpens) {
    VirtualClock clock;
    SimulatedBeacon beacon;
    SimulatedComm comm(beacon, clock);
    CommHandle h = comm.openPort("sim:basic");
    LineSettings settings;
    ASSERT_TRUE(comm.getLineSettings(h, settings));
    EXPECT_EQ(settings.baudRate, 9600u);
    settings.baudRate = 2400;
    comm.setLineSettings(h, settings);
    comm.closePort(h);
    h = comm.openPort("sim:basic");
    ASSERT_TRUE(comm.getLineSettings(h, settings));
    EXPECT_EQ(settings.baudRate, 2400u);
}

TEST(SimulatedComm, BeaconHearsNothingAtAnotherSpeed) {
    OpenLink link;
    LineSettings settings = link.comm.lineSettings();
    settings.baudRate = 9600;
    link.comm.setLineSettings(link.handle, settings);
    link.write({kEsc, 'V'}, 0);
    EXPECT_EQ(link.drain(), "");
    EXPECT_TRUE(link.beacon.requests().empty());
}

TEST(SimulatedComm, ReplyToAClosedPortIsLost) {
    OpenLink link;
    link.write({kEsc, 'V'}, 0);
    ASSERT_TRUE(link.comm.closePort(link.handle));
    link.clock.advanceUs(30'000);  // half the reply reaches a closed port
    link.handle = link.open("sim:basic");
    const std::string rest = link.drain();
    EXPECT_LT(rest.size(), 15u);
    EXPECT_GT(rest.size(), 0u);
    EXPECT_EQ(std::string("Wrenbolt v2.1\r\n").substr(15 - rest.size()), rest);
}

TEST(SimulatedComm, DroppedLineFailsReadsAndWrites) {
    BeaconOptions options;
    options.fault = BeaconFault::LineDrop;
    options.dropAfterBytes = 40;
    OpenLink link(options);
    link.write({kEsc, 'U'}, 10);
    EXPECT_EQ(link.drain().size(), 40u);
    std::uint8_t byte = 0;
    std::uint32_t n = 9;
    EXPECT_FALSE(link.comm.readBytes(link.handle, &byte, 1, n));
    EXPECT_EQ(n, 0u);
    EXPECT_FALSE(link.comm.writeByte(link.handle, kEsc, n));
    EXPECT_EQ(n, 0u);
}

TEST(SimPort, NamesAndFactory) {
    struct Case {
        const char* name;
        bool sim;
        DeviceModel model;
        BeaconFault fault;
    };
    const std::vector<Case> cases{
        {"sim:basic", true, kBasicModel, BeaconFault::None},
        {"sim:tarsel", true, kTarselModel, BeaconFault::None},
        {"sim:tarsel:slow-start", true, kTarselModel, BeaconFault::SlowStart},
        {"sim:basic:silent", true, kBasicModel, BeaconFault::Silent},
        {"sim:basic:", false, DeviceModel::None, BeaconFault::None},
        {"sim:basic:sometimes", false, DeviceModel::None, BeaconFault::None},
        {"sim:", false, DeviceModel::None, BeaconFault::None},
        {"sim:Basic", false, DeviceModel::None, BeaconFault::None},
        {"sim:basic ", false, DeviceModel::None, BeaconFault::None},
        {"COM1", false, DeviceModel::None, BeaconFault::None},
        {"/dev/ttyUSB0", false, DeviceModel::None, BeaconFault::None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isSimPortName(c.name), c.sim) << c.name;
        VirtualClock clock;
        auto link = makeSimLink(c.name, clock);
        ASSERT_EQ(link.has_value(), c.sim) << c.name;
        if (!link) continue;
        EXPECT_EQ(link->beacon->options().model, c.model) << c.name;
        EXPECT_EQ(link->beacon->options().fault, c.fault) << c.name;
        EXPECT_NE(link->comm->openPort(c.name), kInvalidCommHandle) << c.name;
    }
}

}  // namespace
}  // namespace wb
