#include <gtest/gtest.h>

#include "image/image_texts.h"
#include "image/model_dispatch.h"
#include "support/image_harness.h"

namespace wb {
namespace {

TEST(ModelDispatch, EncodePicksLayoutAndRemembersModel) {
    struct Case { DeviceModel model; EncodeResult result; std::uint8_t byte1; };
    for (const Case& c : {Case{kBasicModel, EncodeResult::Encoded, 16},
                          {kTarselModel, EncodeResult::Encoded, 0}}) {
        BeaconDevice device;
        device.config.model = c.model;
        device.images.outgoingImage.fill(0x77);
        EXPECT_EQ(encodeForModel(device, CodecContext{}), c.result);
        EXPECT_EQ(device.images.outgoingModel, c.model);
        EXPECT_EQ(device.images.outgoingImage[1], c.byte1);
    }
}

TEST(ModelDispatch, EncodeReportsTruncationWithOneNotice) {
    for (DeviceModel model : {kBasicModel, kTarselModel}) {
        BeaconDevice device;
        device.config.model = model;
        device.config.morseText = std::string(300, 'T');
        device.config.tones = test::toneRun(200, 1);
        device.config.toneCount = 200;
        int notices = 0;
        EXPECT_EQ(encodeForModel(device, CodecContext{false, [&] { ++notices; }}),
                  EncodeResult::Truncated);
        EXPECT_EQ(notices, 1);
        // No listener: still reported, nothing breaks.
        EXPECT_EQ(encodeForModel(device, CodecContext{}), EncodeResult::Truncated);
    }
}

TEST(ModelDispatch, NoModelEncodesNothing) {
    for (auto model : {DeviceModel::None, static_cast<DeviceModel>(3),
                       static_cast<DeviceModel>(-1)}) {
        BeaconDevice device;
        device.config.model = model;
        device.config.morseSpeedWpm = 1;
        device.images.outgoingImage.fill(0x5A);
        device.images.outgoingModel = kTarselModel;
        EXPECT_EQ(encodeForModel(device, CodecContext{}), EncodeResult::NotEncoded);
        EXPECT_EQ(device.images.outgoingImage, test::filledImage(0x5A));
        EXPECT_EQ(device.images.outgoingModel, kTarselModel);
        EXPECT_EQ(device.config.morseSpeedWpm, 1);
    }
}

TEST(ModelDispatch, DecodeWithoutModelAsksForVersion) {
    BeaconDevice device = test::deviceWithImage(test::filledImage(0x31));
    const DeviceConfig before = device.config;
    decodeImage(device);
    EXPECT_EQ(device.statusText, image_text::kReadVersionFirst);
    EXPECT_EQ(device.config, before);
}

TEST(ModelDispatch, DecodeDispatchesAndChecksLength) {
    for (DeviceModel model : {kBasicModel, kTarselModel}) {
        DeviceConfig start;
        start.model = model;
        BeaconDevice device = test::deviceWithImage(ConfigImage{}, start);
        decodeImage(device);
        EXPECT_EQ(device.statusText, image_text::kReadConfigSuccessful);
        EXPECT_EQ(device.outcome, Outcome::ConfigRead);
        EXPECT_EQ(device.config.model, model) << "decoding never changes the model";
        EXPECT_EQ(device.config.toneCount, 0);
    }
    for (std::int32_t length : {200, 255, 257, 300}) {
        DeviceConfig start;
        start.model = kTarselModel;
        BeaconDevice device = test::deviceWithImage(ConfigImage{}, start);
        device.images.receivedLength = length;
        decodeImage(device);
        EXPECT_EQ(device.statusText, image_text::kCorruptedEeprom);
        EXPECT_EQ(device.outcome, Outcome::CorruptedEeprom);
        EXPECT_EQ(device.config, start);
    }
}

TEST(ModelDispatch, OverlongReplyIsCountedButNotStored) {
    DeviceConfig start;
    start.model = kTarselModel;
    BeaconDevice device;
    device.config = start;
    for (int i = 0; i < 300; ++i) storeReceivedByte(device.images, static_cast<std::uint8_t>(i));
    EXPECT_EQ(device.images.receivedLength, 300);
    EXPECT_EQ(device.images.incomingImage[255], 255);
    EXPECT_EQ(device.images.incomingImage[0], 0);
    decodeImage(device);
    EXPECT_EQ(device.statusText, image_text::kCorruptedEeprom);
    EXPECT_EQ(device.config, start);
}

// A device that has just written `config` and read back the same bytes.
BeaconDevice afterWrite(const DeviceConfig& config) {
    BeaconDevice device;
    device.config = config;
    encodeForModel(device, CodecContext{});
    device.images.incomingImage = device.images.outgoingImage;
    device.images.receivedLength = 256;
    return device;
}

TEST(ModelDispatch, VerifyReadBack) {
    DeviceConfig config;
    config.model = kTarselModel;
    config.morseSpeedWpm = 25;

    BeaconDevice device = afterWrite(config);
    device.images.receivedLength = 255;
    verifyReadBack(device);
    EXPECT_EQ(device.statusText, image_text::kVerifyFailedSize);
    EXPECT_EQ(device.outcome, Outcome::VerifyFailedSize);
    EXPECT_EQ(device.config.morseSpeedWpm, 25);

    device = afterWrite(config);
    device.images.incomingImage[245] ^= 0x01;  // the marker
    verifyReadBack(device);
    EXPECT_EQ(device.statusText, image_text::kVerifyFailed);
    EXPECT_EQ(device.outcome, Outcome::VerifyFailed);
    EXPECT_EQ(device.config.morseSpeedWpm, 25);

    device = afterWrite(config);
    device.images.incomingImage[255] = 1;  // the very last byte counts too
    verifyReadBack(device);
    EXPECT_EQ(device.statusText, image_text::kVerifyFailed);

    device = afterWrite(config);
    verifyReadBack(device);
    EXPECT_EQ(device.statusText, image_text::kConfigWritten);
    EXPECT_EQ(device.outcome, Outcome::ConfigWritten);
    EXPECT_EQ(device.config.morseSpeedWpm, 26) << "the record shows what the beacon stores";

    config.model = kBasicModel;
    config.toneSpeedMs = 51;
    device = afterWrite(config);
    verifyReadBack(device);
    EXPECT_EQ(device.statusText, image_text::kConfigWritten);
    EXPECT_EQ(device.config.toneSpeedMs, 50);
}

TEST(ModelDispatch, VerifyWithoutModelOnlyReports) {
    BeaconDevice device = test::deviceWithImage(ConfigImage{});
    device.config.morseSpeedWpm = 99;
    verifyReadBack(device);
    EXPECT_EQ(device.statusText, image_text::kConfigWritten);
    EXPECT_EQ(device.config.morseSpeedWpm, 99);
}

}  // namespace
}  // namespace wb
