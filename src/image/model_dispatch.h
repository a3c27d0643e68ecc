#pragma once

#include "config/beacon_device.h"
#include "config/codec_context.h"
#include "config/model_table.h"

namespace wb {

enum class EncodeResult {
    NotEncoded,  // no model identified: outgoingImage keeps its content
    Encoded,
    Truncated,  // encoded, but the text or the tones were cut
};

// The layouts are those of the model table's rows; a test may hand in a
// table of its own.

// Encodes the record with the layout of config.model and remembers that
// model in images.outgoingModel.
EncodeResult encodeForModel(BeaconDevice& device, const CodecContext& context, ModelTable models = kModels);

// Decodes incomingImage with the layout of config.model, or reports
// "Read Version First".
void decodeImage(BeaconDevice& device, ModelTable models = kModels);

// Compares the read-back (incomingImage) with what was written.
void verifyReadBack(BeaconDevice& device, ModelTable models = kModels);

}  // namespace wb
