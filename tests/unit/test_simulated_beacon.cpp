#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "config/beacon_device.h"
#include "image/model_dispatch.h"
#include "sim/simulated_beacon.h"

namespace wb {
namespace {

constexpr std::uint8_t kEsc = 0x1B;

struct Arrival {
    std::int64_t atUs;
    std::uint8_t byte;
};

// Feeds bytes to the beacon `gapUs` apart, the first at `startUs`; returns
// the time of the last one.
std::int64_t send(SimulatedBeacon& beacon, const std::vector<std::uint8_t>& bytes,
                  std::int64_t startUs, std::int64_t gapUs) {
    std::int64_t at = startUs;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        at = startUs + static_cast<std::int64_t>(i) * gapUs;
        beacon.receive(bytes[i], at);
    }
    return at;
}

// Everything the beacon has queued, up to `limit` bytes.
std::vector<Arrival> drain(SimulatedBeacon& beacon, std::size_t limit = 4096) {
    std::vector<Arrival> out;
    while (out.size() < limit) {
        const auto due = beacon.nextByteTimeUs();
        if (!due) break;
        const std::uint8_t byte = beacon.takeByte();
        out.push_back({*due, byte});
    }
    return out;
}

std::string text(const std::vector<Arrival>& arrivals) {
    std::string s;
    for (const Arrival& a : arrivals) s.push_back(static_cast<char>(a.byte));
    return s;
}

ConfigImage patternImage(std::uint8_t seed) {
    ConfigImage image{};
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(seed + i * 7);
    }
    return image;
}

// Sends the write request (10 ms pacing) and then the image with the given
// pacing; returns the time of the last image byte.
std::int64_t writeImage(SimulatedBeacon& beacon, const ConfigImage& image, std::int64_t gapUs,
                        std::int64_t startUs = 0) {
    const std::int64_t requestEnd = send(beacon, {kEsc, 'D', 0xAA, 'U'}, startUs, 10'000);
    return send(beacon, std::vector<std::uint8_t>(image.begin(), image.end()),
                requestEnd + 10'000, gapUs);
}

TEST(SimulatedBeacon, VersionTextsByModelAndFault) {
    struct Case {
        const char* name;
        BeaconOptions options;
        std::string expected;
    };
    BeaconOptions basic;
    BeaconOptions tarsel;
    tarsel.model = kTarselModel;
    BeaconOptions custom;
    custom.versionText = "Wrenbolt v2.2 beta\r\n";
    BeaconOptions other;
    other.fault = BeaconFault::OtherProduct;
    BeaconOptions old;
    old.model = kTarselModel;
    old.fault = BeaconFault::IncompatibleFirmware;
    // A code the table has no row for gets the first model's beacon.
    BeaconOptions unknown;
    unknown.model = static_cast<DeviceModel>(9);
    const std::vector<Case> cases{
        {"basic", basic, "Wrenbolt v2.1\r\n"},
        {"unknown model", unknown, "Wrenbolt v2.1\r\n"},
        {"tarsel", tarsel, "Wrenbolt-Tarsel v1.07\r\n"},
        {"custom", custom, "Wrenbolt v2.2 beta\r\n"},
        {"other product", other, "Sparrow v3.0\r\n"},
        {"incompatible", old, "Wrenbolt-Tarsel v0.54\r\n"},
    };
    for (const Case& c : cases) {
        SimulatedBeacon beacon(c.options);
        send(beacon, {kEsc, 'V'}, 0, 0);
        EXPECT_EQ(text(drain(beacon)), c.expected) << c.name;
    }
}

TEST(SimulatedBeacon, RepliesAt2400Baud) {
    SimulatedBeacon beacon;
    const std::int64_t requestEnd = send(beacon, {kEsc, 'V'}, 1000, 4166);
    const auto reply = drain(beacon);
    ASSERT_EQ(reply.size(), 15u);
    // Each byte is 10 bits at 2400 baud: 4166.67 us, without drift.
    for (std::size_t i = 0; i < reply.size(); ++i) {
        const auto n = static_cast<std::int64_t>(i + 1);
        EXPECT_EQ(reply[i].atUs, requestEnd + n * 10'000'000 / 2400) << i;
    }
    EXPECT_EQ(reply.back().atUs - requestEnd, 62'500);
}

TEST(SimulatedBeacon, RepliesQueueBehindEachOther) {
    SimulatedBeacon beacon;
    send(beacon, {kEsc, 'V', kEsc, 'V'}, 0, 1000);
    const auto reply = drain(beacon);
    ASSERT_EQ(reply.size(), 30u);
    EXPECT_EQ(text(reply), "Wrenbolt v2.1\r\nWrenbolt v2.1\r\n");
    for (std::size_t i = 1; i < reply.size(); ++i) {
        EXPECT_GE(reply[i].atUs - reply[i - 1].atUs, 4166) << i;
    }
}

TEST(SimulatedBeacon, ImageReplyIsItsEeprom) {
    BeaconOptions options;
    options.eeprom = patternImage(3);
    SimulatedBeacon beacon(options);
    const std::int64_t end = send(beacon, {kEsc, 'U'}, 0, 10'000);
    const auto reply = drain(beacon);
    ASSERT_EQ(reply.size(), 256u);
    for (std::size_t i = 0; i < 256; ++i) EXPECT_EQ(reply[i].byte, (*options.eeprom)[i]) << i;
    // A whole image takes about 1.07 s on the line.
    EXPECT_EQ(reply.back().atUs - end, 1'066'666);
}

TEST(SimulatedBeacon, FactoryImageReadsBackAsTheDefaultRecord) {
    for (DeviceModel model : {kBasicModel, kTarselModel}) {
        BeaconDevice device;
        device.config.model = model;
        device.images.incomingImage = factoryImage(model);
        device.images.receivedLength = 256;
        decodeImage(device);
        DeviceConfig expected;
        expected.model = model;
        EXPECT_EQ(device.config, expected) << static_cast<int>(model);
    }
    EXPECT_EQ(factoryImage(DeviceModel::None), factoryImage(kBasicModel));
    BeaconOptions unknown;
    unknown.model = static_cast<DeviceModel>(9);
    EXPECT_EQ(SimulatedBeacon(unknown).eeprom(), factoryImage(kBasicModel));
}

TEST(SimulatedBeacon, IgnoresNoiseAndBrokenRequests) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::size_t replyBytes;
    };
    const std::vector<Case> cases{
        {"noise then version", {'x', 0x00, 'V', kEsc, 'V'}, 15},
        {"double escape", {kEsc, kEsc, 'V'}, 15},
        {"lower case", {kEsc, 'v', kEsc, 'u'}, 0},
        {"wrong write key", {kEsc, 'D', 0xAB, 'U', kEsc, 'U'}, 256},
        {"write request cut", {kEsc, 'D', 0xAA, kEsc, 'V'}, 15},
        {"escape at the end", {'V', 'U', kEsc}, 0},
    };
    for (const Case& c : cases) {
        SimulatedBeacon beacon;
        send(beacon, c.bytes, 0, 10'000);
        EXPECT_EQ(drain(beacon).size(), c.replyBytes) << c.name;
        EXPECT_EQ(beacon.eeprom(), factoryImage(kBasicModel)) << c.name;
    }
}

TEST(SimulatedBeacon, WrittenImageIsStoredWithPaceOf20Ms) {
    SimulatedBeacon beacon;
    const ConfigImage image = patternImage(11);
    const std::int64_t end = writeImage(beacon, image, 20'000);
    EXPECT_EQ(beacon.eeprom(), image);
    EXPECT_EQ(beacon.lostBytes(), 0);
    ASSERT_EQ(beacon.requests().size(), 2u);
    EXPECT_EQ(beacon.requests()[0].kind, BeaconRequestKind::WriteImage);
    EXPECT_EQ(beacon.requests()[1].kind, BeaconRequestKind::WriteDone);
    EXPECT_EQ(beacon.requests()[1].atUs, end);
    EXPECT_TRUE(drain(beacon).empty());

    // Back to listening: the read-back shows the new image.
    send(beacon, {kEsc, 'U'}, end + 10'000, 10'000);
    const auto reply = drain(beacon);
    ASSERT_EQ(reply.size(), 256u);
    for (std::size_t i = 0; i < 256; ++i) EXPECT_EQ(reply[i].byte, image[i]) << i;
}

TEST(SimulatedBeacon, BytesFasterThanTheEepromAreLost) {
    struct Case {
        std::int64_t gapUs;
        bool ptyMode;
        std::int32_t lost;
        std::int32_t fast;
    };
    // Every byte within 15 ms of the last stored one is lost: at 10 ms every
    // other byte, at 4.17 ms (no pause) three of every four. A pty only
    // counts them.
    const std::vector<Case> cases{
        {15'000, false, 0, 0},  {14'999, false, 128, 128}, {10'000, false, 128, 128},
        {4'166, false, 192, 192}, {10'000, true, 0, 255},
    };
    for (const Case& c : cases) {
        BeaconOptions options;
        options.ptyMode = c.ptyMode;
        SimulatedBeacon beacon(options);
        const ConfigImage before = beacon.eeprom();
        const ConfigImage image = patternImage(200);
        writeImage(beacon, image, c.gapUs);
        EXPECT_EQ(beacon.lostBytes(), c.lost) << c.gapUs;
        EXPECT_EQ(beacon.fastBytes(), c.fast) << c.gapUs;
        ASSERT_EQ(beacon.requests().back().kind, BeaconRequestKind::WriteDone);
        EXPECT_EQ(beacon.requests().back().lostBytes, c.lost);
        // A lost byte leaves the old cell, and the bytes after it still land
        // at their own offsets.
        std::int32_t kept = 0;
        for (std::size_t i = 0; i < 256; ++i) {
            if (beacon.eeprom()[i] == image[i]) {
                ++kept;
            } else {
                EXPECT_EQ(beacon.eeprom()[i], before[i]) << i;
            }
        }
        EXPECT_GE(kept, 256 - c.lost) << c.gapUs;
        EXPECT_EQ(beacon.eeprom()[0], image[0]) << c.gapUs;
    }
}

TEST(SimulatedBeacon, StalledWriteIsAbandoned) {
    SimulatedBeacon beacon;
    const ConfigImage before = beacon.eeprom();
    const std::int64_t requestEnd = send(beacon, {kEsc, 'D', 0xAA, 'U', 1, 2, 3}, 0, 20'000);
    // A stall of more than 2 s: the next bytes are requests again.
    send(beacon, {kEsc, 'V'}, requestEnd + 2'000'001, 0);
    EXPECT_EQ(text(drain(beacon)), "Wrenbolt v2.1\r\n");
    EXPECT_EQ(beacon.eeprom()[0], 1);
    EXPECT_EQ(beacon.eeprom()[3], before[3]);
    ASSERT_EQ(beacon.requests().size(), 3u);
    EXPECT_EQ(beacon.requests()[1].kind, BeaconRequestKind::WriteAbandoned);
    EXPECT_EQ(beacon.requests()[2].kind, BeaconRequestKind::Version);
}

TEST(SimulatedBeacon, ImageLengthFaults) {
    struct Case {
        BeaconFault fault;
        std::size_t length;
    };
    for (const Case& c : {Case{BeaconFault::ImageShort, 255}, Case{BeaconFault::ImageLong, 300}}) {
        BeaconOptions options;
        options.fault = c.fault;
        options.eeprom = patternImage(1);
        SimulatedBeacon beacon(options);
        send(beacon, {kEsc, 'U'}, 0, 10'000);
        const auto reply = drain(beacon);
        ASSERT_EQ(reply.size(), c.length);
        for (std::size_t i = 0; i < std::min<std::size_t>(256, c.length); ++i) {
            EXPECT_EQ(reply[i].byte, (*options.eeprom)[i]) << i;
        }
        for (std::size_t i = 256; i < c.length; ++i) EXPECT_EQ(reply[i].byte, 0xFF) << i;
    }
}

TEST(SimulatedBeacon, SilentBeaconAnswersNothingAndStoresNothing) {
    BeaconOptions options;
    options.fault = BeaconFault::Silent;
    SimulatedBeacon beacon(options);
    const ConfigImage before = beacon.eeprom();
    send(beacon, {kEsc, 'V', kEsc, 'U'}, 0, 10'000);
    writeImage(beacon, patternImage(5), 20'000, 100'000);
    EXPECT_FALSE(beacon.nextByteTimeUs());
    EXPECT_EQ(beacon.eeprom(), before);
    ASSERT_EQ(beacon.requests().size(), 3u);
    for (const BeaconRequest& r : beacon.requests()) EXPECT_FALSE(r.answered);
}

TEST(SimulatedBeacon, EndlessReplyNeverStops) {
    BeaconOptions options;
    options.fault = BeaconFault::EndlessReply;
    SimulatedBeacon beacon(options);
    send(beacon, {kEsc, 'V'}, 0, 0);
    const auto first = drain(beacon, 5000);
    ASSERT_EQ(first.size(), 5000u);
    EXPECT_EQ(text(first).substr(0, 15), "Wrenbolt v2.1\r\n");
    for (std::size_t i = 1; i < first.size(); ++i) {
        ASSERT_GT(first[i].atUs, first[i - 1].atUs);
    }
    // Later requests drown in the babble.
    send(beacon, {kEsc, 'U'}, first.back().atUs, 0);
    EXPECT_FALSE(beacon.requests().back().answered);
    // A port closed for a minute still finds it talking, with no backlog.
    beacon.discardUntil(first.back().atUs + 60'000'000);
    ASSERT_TRUE(beacon.nextByteTimeUs());
    EXPECT_GT(*beacon.nextByteTimeUs(), first.back().atUs + 60'000'000);
}

TEST(SimulatedBeacon, SlowStartIgnoresEarlyRequests) {
    BeaconOptions options;
    options.fault = BeaconFault::SlowStart;
    options.startDelayUs = 500'000;
    SimulatedBeacon beacon(options);
    send(beacon, {kEsc, 'V'}, 0, 0);
    EXPECT_FALSE(beacon.nextByteTimeUs());
    send(beacon, {kEsc, 'V'}, 499'000, 0);
    EXPECT_FALSE(beacon.nextByteTimeUs());
    send(beacon, {kEsc, 'V'}, 721'000, 0);
    EXPECT_EQ(text(drain(beacon)), "Wrenbolt v2.1\r\n");
    ASSERT_EQ(beacon.requests().size(), 3u);
    EXPECT_FALSE(beacon.requests()[0].answered);
    EXPECT_FALSE(beacon.requests()[1].answered);
    EXPECT_TRUE(beacon.requests()[2].answered);
}

TEST(SimulatedBeacon, LineDropsInTheMiddleOfAnImage) {
    BeaconOptions options;
    options.fault = BeaconFault::LineDrop;
    options.dropAfterBytes = 100;
    {
        SimulatedBeacon beacon(options);
        send(beacon, {kEsc, 'V'}, 0, 0);
        EXPECT_EQ(drain(beacon).size(), 15u);  // the version text is not an image
        EXPECT_FALSE(beacon.lineDropped());
        send(beacon, {kEsc, 'U'}, 100'000, 10'000);
        EXPECT_EQ(drain(beacon).size(), 100u);
        EXPECT_TRUE(beacon.lineDropped());
        send(beacon, {kEsc, 'V'}, 2'000'000, 0);
        EXPECT_FALSE(beacon.nextByteTimeUs());
    }
    {
        SimulatedBeacon beacon(options);
        const ConfigImage before = beacon.eeprom();
        const ConfigImage image = patternImage(77);
        writeImage(beacon, image, 20'000);
        EXPECT_TRUE(beacon.lineDropped());
        for (std::size_t i = 0; i < 256; ++i) {
            EXPECT_EQ(beacon.eeprom()[i], i < 100 ? image[i] : before[i]) << i;
        }
    }
}

}  // namespace
}  // namespace wb
