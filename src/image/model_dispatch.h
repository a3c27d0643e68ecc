#pragma once

#include "config/beacon_device.h"
#include "config/codec_context.h"

namespace wb {

enum class EncodeResult {
    NotEncoded,  // no model identified: outgoingImage keeps its content
    Encoded,
    Truncated,  // encoded, but the text or the tones were cut
};

// Encodes the record with the layout of config.model and remembers that
// model in images.outgoingModel.
EncodeResult encodeForModel(BeaconDevice& device, const CodecContext& context);

// Decodes incomingImage with the layout of config.model, or reports
// "Read Version First".
void decodeImage(BeaconDevice& device);

// Compares the read-back (incomingImage) with what was written.
void verifyReadBack(BeaconDevice& device);

}  // namespace wb
