#include "config/beacon_device.h"
#include "config/codec_context.h"
#include "image/basic_layout.h"
#include "image/tarsel_layout.h"
#include "sim/simulated_beacon.h"

namespace wb {

// What a new beacon holds: the default record in its model's layout.
ConfigImage factoryImage(DeviceModel model) {
    BeaconDevice device;
    device.config.model = model;
    const CodecContext context;
    if (model == DeviceModel::Tarsel) {
        encodeTarsel(device, context);
    } else {
        encodeBasic(device, context);
    }
    return device.images.outgoingImage;
}

}  // namespace wb
