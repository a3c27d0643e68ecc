#pragma once

#include "config/beacon_device.h"
#include "config/codec_context.h"
#include "config/config_image.h"
#include "config/device_config.h"
#include "image/model_table.h"

namespace wb {

enum class EncodeResult {
    NotEncoded,  // no model identified: outgoingImage keeps its content
    Encoded,
    Truncated,  // encoded, but the text or the tones were cut
};

// The layouts are those of the model table's rows; a test may hand in a
// table of its own.

// Encodes `record` with the layout of record.model into `image`: the record
// takes the speed the layout stores, then the "Text/Tones Truncated" notice
// is shown once if the text or the tones were cut. Without a layout nothing
// changes.
EncodeResult encodeRecord(DeviceConfig& record, ConfigImage& image, const CodecContext& context,
                          ModelTable models = kModels);

// Encodes the record into outgoingImage and remembers its model in
// images.outgoingModel.
EncodeResult encodeForModel(BeaconDevice& device, const CodecContext& context, ModelTable models = kModels);

// Decodes incomingImage with the layout of config.model: "Corrupted EEPROM"
// unless exactly 256 bytes came, else "Read Config Successful"; or "Read
// Version First" without a layout.
void decodeImage(BeaconDevice& device, ModelTable models = kModels);

// Compares the read-back (incomingImage) with what was written.
void verifyReadBack(BeaconDevice& device, ModelTable models = kModels);

}  // namespace wb
