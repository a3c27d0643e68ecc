#include "image/model_dispatch.h"

#include "image/image_texts.h"

namespace wb {

EncodeResult encodeRecord(DeviceConfig& record, ConfigImage& image, const CodecContext& context,
                          ModelTable models) {
    const ModelInfo* row = findModel(record.model, models);
    if (row == nullptr) return EncodeResult::NotEncoded;
    const EncodedImage encoded = row->encode(record, context.noLimit);
    image = encoded.image;
    record.morseSpeedWpm = encoded.morseSpeedWpm;
    if (!encoded.cut()) return EncodeResult::Encoded;
    // The dialog's notice runs a message loop: the image and the speed are
    // in place before it shows.
    if (context.showTruncationNotice) context.showTruncationNotice();
    return EncodeResult::Truncated;
}

EncodeResult encodeForModel(BeaconDevice& device, const CodecContext& context, ModelTable models) {
    const EncodeResult result = encodeRecord(device.config, device.images.outgoingImage, context, models);
    if (result != EncodeResult::NotEncoded) device.images.outgoingModel = device.config.model;
    return result;
}

namespace {

// Runs the decoder of the record's model; false when no layout applies.
bool decodeByModel(BeaconDevice& device, ModelTable models) {
    const ModelInfo* row = findModel(device.config.model, models);
    if (row == nullptr) return false;
    if (device.images.receivedLength != static_cast<std::int32_t>(kImageSize)) {
        setOutcome(device, Outcome::CorruptedEeprom, image_text::kCorruptedEeprom);
        return true;
    }
    row->decode(device.images.incomingImage, device.config);
    setOutcome(device, Outcome::ConfigRead, image_text::kReadConfigSuccessful);
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
