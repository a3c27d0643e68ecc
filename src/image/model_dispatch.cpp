#include "image/model_dispatch.h"

#include "image/basic_layout.h"
#include "image/image_texts.h"
#include "image/tarsel_layout.h"

namespace wb {

EncodeResult encodeForModel(BeaconDevice& device, const CodecContext& context) {
    bool truncated = false;
    switch (device.config.model) {
        case DeviceModel::Basic:
            truncated = encodeBasic(device, context);
            break;
        case DeviceModel::Tarsel:
            truncated = encodeTarsel(device, context);
            break;
        default:
            return EncodeResult::NotEncoded;
    }
    device.images.outgoingModel = device.config.model;
    return truncated ? EncodeResult::Truncated : EncodeResult::Encoded;
}

namespace {

// Runs the decoder of the record's model; false when no layout applies.
bool decodeByModel(BeaconDevice& device) {
    switch (device.config.model) {
        case DeviceModel::Basic:
            decodeBasic(device);
            return true;
        case DeviceModel::Tarsel:
            decodeTarsel(device);
            return true;
        default:
            return false;
    }
}

}  // namespace

void decodeImage(BeaconDevice& device) {
    if (!decodeByModel(device)) setOutcome(device, Outcome::ReadVersionFirst, kReadVersionFirstText);
}

void verifyReadBack(BeaconDevice& device) {
    ImageStore& images = device.images;
    if (images.receivedLength != static_cast<std::int32_t>(kImageSize)) {
        setOutcome(device, Outcome::VerifyFailedSize, kVerifyFailedSizeText);
        return;
    }
    if (images.incomingImage != images.outgoingImage) {
        setOutcome(device, Outcome::VerifyFailed, kVerifyFailedText);
        return;
    }
    // The record now shows what the beacon really stores.
    decodeByModel(device);
    setOutcome(device, Outcome::ConfigWritten, kConfigWrittenText);
}

}  // namespace wb
