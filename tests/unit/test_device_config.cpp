#include <gtest/gtest.h>

#include <bit>
#include <cstdio>

#include "config/beacon_device.h"

namespace wb {
namespace {

TEST(DeviceConfig, FactoryDefaults) {
    const BeaconDevice device;
    const DeviceConfig& c = device.config;
    EXPECT_EQ(c.model, DeviceModel::None);
    EXPECT_EQ(c.morseText, " WRENBOLT ");
    EXPECT_EQ(c.morseSpeedWpm, 20);
    EXPECT_EQ(c.morseTone, 26);
    EXPECT_EQ(c.toneSpeedMs, 50);
    EXPECT_EQ(c.tonesDurationSec, 15);
    EXPECT_EQ(c.preTonesDelaySec, 0);
    EXPECT_EQ(c.loopTimeSec, 30);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(c.txFrequencyMHz), 0x431290A4u);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(c.rxFrequencyMHz), 0x431290A4u);
    EXPECT_EQ(c.calibrationPercent, 0.0f);
    EXPECT_EQ(c.toneCount, 64);
    EXPECT_EQ(c.ledEnabled, 1);
    EXPECT_EQ(c.randomTones + c.randomSpeed + c.randomMorse + c.autoStart + c.disableRx, 0);
    EXPECT_EQ(c.unlockCode, 5862);
    EXPECT_EQ(c.initialDelayMin, 0);
    EXPECT_EQ(c.totalRuntimeMin, 0);

    EXPECT_EQ(device.retryCount, 0);
    EXPECT_EQ(device.exchangeState, ExchangeState::Idle);
    EXPECT_EQ(device.tickCount, 0);
    EXPECT_TRUE(device.versionReply.empty());
    EXPECT_TRUE(device.statusText.empty());
    EXPECT_EQ(device.images.receivedLength, 0);
    EXPECT_EQ(device.images.writePosition, 0);
    for (auto b : device.images.incomingImage) EXPECT_EQ(b, 0);
    for (auto b : device.images.outgoingImage) EXPECT_EQ(b, 0);
}

TEST(DeviceConfig, FactoryToneSequence) {
    const DeviceConfig c;
    const std::uint8_t rowA[8] = {1, 20, 1, 20, 1, 11, 11, 11};
    const std::uint8_t rowD[8] = {1, 28, 1, 28, 1, 23, 23, 23};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(c.tones[static_cast<std::size_t>(i)], rowA[i]);
        EXPECT_EQ(c.tones[static_cast<std::size_t>(56 + i)], rowD[i]);
    }
    for (std::size_t i = 64; i < kToneCapacity; ++i) EXPECT_EQ(c.tones[i], 0) << i;
}

TEST(DeviceConfig, DefaultFrequencyPrintsAsBandCentre) {
    char text[32];
    std::snprintf(text, sizeof text, "%3.3f", static_cast<double>(kDefaultFrequencyMHz));
    EXPECT_STREQ(text, "146.565");
}

TEST(ImageStore, ReceivedBytesBeyondTheImageAreCountedNotStored) {
    ImageStore store;
    for (int i = 0; i < 300; ++i) storeReceivedByte(store, static_cast<std::uint8_t>(i));
    EXPECT_EQ(store.receivedLength, 300);
    EXPECT_EQ(store.incomingImage[255], 255);
    EXPECT_EQ(store.incomingImage[0], 0);
}

}  // namespace
}  // namespace wb
