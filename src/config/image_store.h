#pragma once

#include <cstdint>
#include <limits>

#include "config/config_image.h"
#include "config/device_model.h"

namespace wb {

// The two device images. An incoming image counts as complete only when
// receivedLength is exactly 256; every consumer tests that first.
struct ImageStore {
    ConfigImage incomingImage{};
    ConfigImage outgoingImage{};
    std::int32_t receivedLength = 0;
    std::int32_t writePosition = 0;
    // The layout outgoingImage was last encoded with, so that a write never
    // sends one model's image to a beacon of the other model.
    DeviceModel outgoingModel = DeviceModel::None;
};

// One byte received from the beacon: stored while there is room, always
// counted, so an over-long reply is rejected by the length test.
inline void storeReceivedByte(ImageStore& store, std::uint8_t byte) {
    if (store.receivedLength >= 0 &&
        store.receivedLength < static_cast<std::int32_t>(kImageSize)) {
        store.incomingImage[static_cast<std::size_t>(store.receivedLength)] = byte;
    }
    if (store.receivedLength < std::numeric_limits<std::int32_t>::max()) {
        ++store.receivedLength;
    }
}

}  // namespace wb
