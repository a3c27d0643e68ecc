#include <array>

#include "config/beacon_device.h"
#include "config/codec_context.h"
#include "config/model_table.h"
#include "sim/simulated_beacon.h"

namespace wb {
namespace {

// What each model's current firmware says when asked for its version.
struct FactoryFirmware {
    DeviceModel model;
    std::string_view versionText;
};

constexpr std::array<FactoryFirmware, 2> kFactoryFirmware{{
    {DeviceModel::Basic, "Wrenbolt v2.1\r\n"},
    {DeviceModel::Tarsel, "Wrenbolt-Tarsel v1.07\r\n"},
}};

}  // namespace

ConfigImage factoryImage(const ModelInfo& model) {
    BeaconDevice device;
    device.config.model = model.code;
    const CodecContext context;
    model.encode(device, context);
    return device.images.outgoingImage;
}

ConfigImage factoryImage(DeviceModel model) {
    const ModelInfo* row = findModel(model);
    return factoryImage(row != nullptr ? *row : kModels.front());
}

std::string_view factoryVersionText(DeviceModel model) {
    for (const FactoryFirmware& firmware : kFactoryFirmware) {
        if (firmware.model == model) return firmware.versionText;
    }
    return kFactoryFirmware.front().versionText;
}

std::string incompatibleVersionText() { return std::string(firstIncompatibleFirmware()) + "\r\n"; }

}  // namespace wb
