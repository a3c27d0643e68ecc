#include "config/record_models.h"

namespace wb {

std::optional<DeviceModel> identifiedModelFromName(std::string_view name) {
    for (const RecordModel& model : kRecordModels) {
        if (model.name == name) return model.code;
    }
    return std::nullopt;
}

std::optional<DeviceModel> modelFromName(std::string_view name) {
    if (name == modelName(DeviceModel::None)) return DeviceModel::None;
    return identifiedModelFromName(name);
}

DeviceModel modelFromCode(std::int32_t code) {
    const RecordModel* model = findRecordModel(DeviceModel{code});
    return model != nullptr ? model->code : DeviceModel::None;
}

std::vector<std::string> modelNames() {
    std::vector<std::string> names;
    for (const RecordModel& model : kRecordModels) names.emplace_back(model.name);
    return names;
}

std::string modelChoicesText(bool quoted, bool withNone) {
    std::vector<std::string> names = modelNames();
    if (withNone) names.insert(names.begin(), std::string(modelName(DeviceModel::None)));
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? " or " : ", ";
        text += quoted ? "\"" + names[i] + "\"" : names[i];
    }
    return text;
}

}  // namespace wb
