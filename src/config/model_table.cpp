#include "config/model_table.h"

namespace wb {

std::optional<DeviceModel> identifiedModelFromName(std::string_view name) {
    for (const ModelInfo& row : kModels) {
        if (row.name == name) return row.code;
    }
    return std::nullopt;
}

std::optional<DeviceModel> modelFromName(std::string_view name) {
    if (name == modelName(DeviceModel::None)) return DeviceModel::None;
    return identifiedModelFromName(name);
}

DeviceModel modelFromCode(std::int32_t code) {
    const ModelInfo* row = findModel(DeviceModel{code});
    return row != nullptr ? row->code : DeviceModel::None;
}

std::vector<std::string> modelNames() {
    std::vector<std::string> names;
    for (const ModelInfo& row : kModels) names.emplace_back(row.name);
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

std::optional<VersionMatch> matchVersionReply(std::string_view reply, ModelTable models) {
    std::optional<VersionMatch> best;
    std::size_t bestLength = 0;
    for (const ModelInfo& row : models) {
        for (const VersionRule& rule : row.versionRules) {
            if (reply.substr(0, rule.prefix.size()) != rule.prefix) continue;
            if (best && rule.prefix.size() <= bestLength) continue;
            best = VersionMatch{&row, rule.verdict};
            bestLength = rule.prefix.size();
        }
    }
    return best;
}

std::string_view firstIncompatibleFirmware(ModelTable models) {
    for (const ModelInfo& row : models) {
        for (const VersionRule& rule : row.versionRules) {
            if (rule.verdict == VersionVerdict::Incompatible) return rule.prefix;
        }
    }
    return {};
}

}  // namespace wb
