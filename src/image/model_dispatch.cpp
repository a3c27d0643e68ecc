#include "image/model_dispatch.h"

#include "image/image_texts.h"

namespace wb {

EncodeResult encodeForModel(BeaconDevice& device, const CodecContext& context, ModelTable models) {
    const ModelInfo* row = findModel(device.config.model, models);
    if (row == nullptr) return EncodeResult::NotEncoded;
    const bool truncated = row->encode(device, context);
    device.images.outgoingModel = device.config.model;
    return truncated ? EncodeResult::Truncated : EncodeResult::Encoded;
}

namespace {

// Runs the decoder of the record's model; false when no layout applies.
bool decodeByModel(BeaconDevice& device, ModelTable models) {
    const ModelInfo* row = findModel(device.config.model, models);
    if (row == nullptr) return false;
    row->decode(device);
    return true;
}

}  // namespace

void decodeImage(BeaconDevice& device, ModelTable models) {
    if (!decodeByModel(device, models)) setOutcome(device, Outcome::ReadVersionFirst, image_text::kReadVersionFirst);
}

void verifyReadBack(BeaconDevice& device, ModelTable models) {
    ImageStore& images = device.images;
    if (images.receivedLength != static_cast<std::int32_t>(kImageSize)) {
        setOutcome(device, Outcome::VerifyFailedSize, image_text::kVerifyFailedSize);
        return;
    }
    if (images.incomingImage != images.outgoingImage) {
        setOutcome(device, Outcome::VerifyFailed, image_text::kVerifyFailed);
        return;
    }
    // The record now shows what the beacon really stores.
    decodeByModel(device, models);
    setOutcome(device, Outcome::ConfigWritten, image_text::kConfigWritten);
}

}  // namespace wb
