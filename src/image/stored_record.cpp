#include "image/stored_record.h"

namespace wb {

DeviceConfig decodedRecord(const ConfigImage& image, DeviceModel model, const DeviceConfig& over) {
    const ModelInfo* row = findModel(model);
    if (row == nullptr) return over;
    DeviceConfig record = over;
    record.model = model;
    row->decode(image, record);
    return record;
}

StoredRecord storedRecord(const DeviceConfig& record, const DeviceConfig& over, const CodecContext& codec) {
    DeviceConfig encoded = record;
    StoredRecord stored;
    stored.result = encodeRecord(encoded, stored.image, codec);
    stored.record = stored.result == EncodeResult::NotEncoded ? over
                                                              : decodedRecord(stored.image, record.model, over);
    return stored;
}

bool rewriteNeedsNoLimit(const ConfigImage& image, DeviceModel model) {
    const DeviceConfig record = decodedRecord(image, model, DeviceConfig{});
    return storedRecord(record, CodecContext{false, {}}).image != storedRecord(record, CodecContext{true, {}}).image;
}

}  // namespace wb
