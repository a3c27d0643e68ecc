#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/device_model.h"

namespace wb {

// The beacon models as the record names them: the code, the names people
// and files use, and the members each model's image layout stores. The
// model table (image/model_table.h) builds its rows from these and adds
// what lies beyond the record: the version replies and the layout itself.

struct RecordModel {
    DeviceModel code;        // the number stored in .wb1 files and given to the page
    std::string_view name;   // JSON, plans, the command line and sim: ports
    std::string_view title;  // what people read
    // The record members (their JSON keys) the model's layout stores.
    std::span<const std::string_view> storedMembers;
};

// The models' codes, as .wb1 files store them.
inline constexpr DeviceModel kBasicModel{1};
inline constexpr DeviceModel kTarselModel{2};

namespace model_rows {

inline constexpr std::array<std::string_view, 13> kBasicStoredMembers{
    "model", "morseText", "morseSpeedWpm", "morseTone", "toneSpeedMs", "tonesDurationSec",
    "preTonesDelaySec", "loopTimeSec", "txFrequencyMHz", "calibrationPercent", "tones", "toneCount",
    "ledEnabled",
};
inline constexpr std::array<std::string_view, 21> kTarselStoredMembers{
    "model", "morseText", "morseSpeedWpm", "morseTone", "toneSpeedMs", "tonesDurationSec",
    "preTonesDelaySec", "loopTimeSec", "txFrequencyMHz", "rxFrequencyMHz", "calibrationPercent",
    "tones", "toneCount", "randomTones", "randomSpeed", "randomMorse", "autoStart", "disableRx",
    "unlockCode", "initialDelayMin", "totalRuntimeMin",
};

}  // namespace model_rows

// In code order; the model table has one row for each, in the same order.
inline constexpr std::array<RecordModel, 2> kRecordModels{{
    {kBasicModel, "basic", "Basic", model_rows::kBasicStoredMembers},
    {kTarselModel, "tarsel", "Tarsel", model_rows::kTarselStoredMembers},
}};

// The model of a code, or null (DeviceModel::None has none).
constexpr const RecordModel* findRecordModel(DeviceModel code) {
    for (const RecordModel& model : kRecordModels) {
        if (model.code == code) return &model;
    }
    return nullptr;
}

// A name as JSON, plans and the command line spell it; "none" for no model.
constexpr std::string_view modelName(DeviceModel code) {
    const RecordModel* model = findRecordModel(code);
    return model != nullptr ? model->name : "none";
}

// The title people read ("Basic"), or "unknown".
constexpr std::string_view modelTitle(DeviceModel code) {
    const RecordModel* model = findRecordModel(code);
    return model != nullptr ? model->title : "unknown";
}

// "none" or a model's name, and back; empty for any other text.
std::optional<DeviceModel> modelFromName(std::string_view name);
// A model's name only: what a plan, a fleet list or a sim: port may name.
std::optional<DeviceModel> identifiedModelFromName(std::string_view name);
// The page's number of a model; DeviceModel::None for any other number.
DeviceModel modelFromCode(std::int32_t code);

// Whether a model's layout stores the member; with no model identified no
// layout applies, and nothing is stored.
constexpr bool modelStores(DeviceModel code, std::string_view key) {
    const RecordModel* model = findRecordModel(code);
    return model != nullptr && std::ranges::find(model->storedMembers, key) != model->storedMembers.end();
}

// Whether every model's layout stores the member: one the model never
// changes.
constexpr bool everyModelStores(std::string_view key) {
    for (const RecordModel& model : kRecordModels) {
        if (!modelStores(model.code, key)) return false;
    }
    return true;
}

// The highest model code, the field table's bound for "model".
constexpr std::int64_t maxModelCode() {
    std::int64_t highest = 0;
    for (const RecordModel& model : kRecordModels) {
        highest = std::max(highest, static_cast<std::int64_t>(model.code));
    }
    return highest;
}

// The names as a person reads a choice: `basic or tarsel`, or quoted
// `"basic" or "tarsel"`; with `none` first when that is a choice too.
std::string modelChoicesText(bool quoted, bool withNone = false);
std::vector<std::string> modelNames();

}  // namespace wb
