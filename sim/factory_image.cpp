#include "config/config_image.h"
#include "config/device_model.h"
#include "sim/simulated_beacon.h"

namespace wb {

// Stand-in until the layouts exist: an erased EEPROM. Replaced by the
// encoded default record.
ConfigImage factoryImage(DeviceModel model) {
    ConfigImage image{};
    image.fill(0xFF);
    image[0] = static_cast<std::uint8_t>(model);
    return image;
}

}  // namespace wb
