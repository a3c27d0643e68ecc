#include "image/stored_record.h"

#include "config/beacon_device.h"

namespace wb {

DeviceConfig decodedRecord(const ConfigImage& image, DeviceModel model, const DeviceConfig& over) {
    BeaconDevice device;
    device.config = over;
    device.config.model = model;
    device.images.incomingImage = image;
    device.images.receivedLength = static_cast<std::int32_t>(kImageSize);
    decodeImage(device);
    return device.outcome == Outcome::ConfigRead ? device.config : over;
}

StoredRecord storedRecord(const DeviceConfig& record, const DeviceConfig& over, const CodecContext& codec) {
    BeaconDevice device;
    device.config = record;
    StoredRecord stored;
    stored.result = encodeForModel(device, codec);
    stored.image = device.images.outgoingImage;
    stored.record = stored.result == EncodeResult::NotEncoded ? over
                                                              : decodedRecord(stored.image, record.model, over);
    return stored;
}

}  // namespace wb
