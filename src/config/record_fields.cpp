#include "config/record_fields.h"

namespace wb {

std::string_view modelName(DeviceModel model) {
    switch (model) {
    case DeviceModel::Basic: return "basic";
    case DeviceModel::Tarsel: return "tarsel";
    default: return "none";
    }
}

std::optional<DeviceModel> modelFromName(std::string_view name) {
    for (DeviceModel model : {DeviceModel::None, DeviceModel::Basic, DeviceModel::Tarsel}) {
        if (name == modelName(model)) return model;
    }
    return std::nullopt;
}

}  // namespace wb
