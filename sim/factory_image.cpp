#include <string>

#include "config/device_config.h"
#include "image/model_table.h"
#include "sim/simulated_beacon.h"

namespace wb {
namespace {

// A code the table has no row for gets the first model's factory state.
const ModelInfo& rowOrFirst(DeviceModel model) {
    const ModelInfo* row = findModel(model);
    return row != nullptr ? *row : kModels.front();
}

}  // namespace

ConfigImage factoryImage(const ModelInfo& model) {
    DeviceConfig record;
    record.model = model.code;
    return model.encode(record, false).image;
}

ConfigImage factoryImage(DeviceModel model) { return factoryImage(rowOrFirst(model)); }

std::string factoryVersionText(DeviceModel model) {
    return std::string(rowOrFirst(model).firmwareVersion) + "\r\n";
}

std::string incompatibleVersionText() { return std::string(firstIncompatibleFirmware()) + "\r\n"; }

}  // namespace wb
