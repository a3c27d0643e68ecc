#pragma once

#include "config/codec_context.h"
#include "config/config_image.h"
#include "config/device_config.h"
#include "image/model_dispatch.h"

namespace wb {

// What a beacon stores for a record: its layout's image, and that image read
// back. The read-back is what every preview shows, since a layout coarsens
// (frequency steps, a shorter text) and lacks some members.
struct StoredRecord {
    EncodeResult result = EncodeResult::NotEncoded;
    ConfigImage image{};
    DeviceConfig record;
};

// `image` read with `model`'s layout over `over`: members that layout lacks
// keep over's values. Without a layout for `model`, over as it is.
DeviceConfig decodedRecord(const ConfigImage& image, DeviceModel model, const DeviceConfig& over);

// `record` encoded with its model's layout and decoded again over `over`
// (the beacon's record now, for a write over it). Not encoded (no model):
// the record is `over` unchanged.
StoredRecord storedRecord(const DeviceConfig& record, const DeviceConfig& over, const CodecContext& codec);
inline StoredRecord storedRecord(const DeviceConfig& record, const CodecContext& codec) {
    return storedRecord(record, record, codec);
}

// True when `image`, written back through its record with `model`'s layout,
// keeps its bytes only with the TX limit lifted: a beacon set outside 144 to
// 148 MHz would otherwise be restored to the default frequency.
bool rewriteNeedsNoLimit(const ConfigImage& image, DeviceModel model);

}  // namespace wb
