#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "config/device_model.h"
#include "config/record_models.h"
#include "image/basic_layout.h"
#include "image/layout.h"
#include "image/tarsel_layout.h"

namespace wb {

// The beacon models, one row each: everything that differs between them.
// Every front end, the exchange, the file loader and the simulator read this
// table; nothing else lists the models. A row's code, names and stored
// members come from the record's list of models (config/record_models.h),
// which the field table and the JSON form read without the layouts.

// What a version reply that begins with a prefix says about the beacon.
enum class VersionVerdict : std::uint8_t {
    Identifies,    // this model
    Incompatible,  // this model, with firmware that cannot take our images
};

struct VersionRule {
    std::string_view prefix;  // compared byte for byte
    VersionVerdict verdict;
};

struct ModelInfo {
    DeviceModel code;        // the number stored in .wb1 files and given to the page
    std::string_view name;   // JSON, plans, the command line and sim: ports
    std::string_view title;  // what people read
    // Tried longest prefix first across all rows, so a product word that
    // begins another's decides only when the longer one does not match.
    std::span<const VersionRule> versionRules;
    // The layout (layout.h).
    LayoutEncode encode;
    LayoutDecode decode;
    // The record members (their JSON keys) the layout stores.
    std::span<const std::string_view> storedMembers;
    // What the model's current firmware answers the version request with,
    // its line end left off: the simulated beacons answer so.
    std::string_view firmwareVersion;
};

using ModelTable = std::span<const ModelInfo>;

namespace model_rows {

inline constexpr std::array<VersionRule, 1> kBasicVersions{{
    {"Wrenbolt", VersionVerdict::Identifies},
}};
inline constexpr std::array<VersionRule, 2> kTarselVersions{{
    {"Wrenbolt-Tarsel v0.54", VersionVerdict::Incompatible},
    {"Wrenbolt-Tarsel", VersionVerdict::Identifies},
}};

// A row over a model of the record's list.
constexpr ModelInfo row(const RecordModel& model, std::span<const VersionRule> versionRules,
                        LayoutEncode encode, LayoutDecode decode, std::string_view firmwareVersion) {
    return {model.code, model.name, model.title, versionRules, encode, decode, model.storedMembers,
            firmwareVersion};
}

}  // namespace model_rows

inline constexpr std::array<ModelInfo, 2> kModels{{
    model_rows::row(kRecordModels[0], model_rows::kBasicVersions, encodeBasic, decodeBasic,
                    "Wrenbolt v2.1"),
    model_rows::row(kRecordModels[1], model_rows::kTarselVersions, encodeTarsel, decodeTarsel,
                    "Wrenbolt-Tarsel v1.07"),
}};

// One row for each model of the record's list, in its order.
constexpr bool rowsFollowRecordModels() {
    if (kModels.size() != kRecordModels.size()) return false;
    for (std::size_t i = 0; i < kModels.size(); ++i) {
        if (kModels[i].code != kRecordModels[i].code || kModels[i].name != kRecordModels[i].name) return false;
    }
    return true;
}
static_assert(rowsFollowRecordModels(), "the model table and the record's models differ");

// The row of a model code, or null (DeviceModel::None has none).
constexpr const ModelInfo* findModel(DeviceModel code, ModelTable models = kModels) {
    for (const ModelInfo& row : models) {
        if (row.code == code) return &row;
    }
    return nullptr;
}

// What a version reply says: the model it names, and whether its firmware
// is the incompatible one. Empty when no rule matches.
struct VersionMatch {
    const ModelInfo* model;
    VersionVerdict verdict;
};
std::optional<VersionMatch> matchVersionReply(std::string_view reply, ModelTable models = kModels);

// The reply prefix of the first incompatible firmware the table names.
std::string_view firstIncompatibleFirmware(ModelTable models = kModels);

}  // namespace wb
