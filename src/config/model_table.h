#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/beacon_device.h"
#include "config/codec_context.h"
#include "config/device_model.h"
#include "image/basic_layout.h"
#include "image/tarsel_layout.h"

namespace wb {

// The beacon models, one row each: everything that differs between them
// outside their image layouts. Every front end, the exchange, the file
// loader and the simulator read this table; nothing else lists the models.

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
    // The layout: encode device.config into images.outgoingImage (true when
    // the text or tones were cut), decode images.incomingImage.
    bool (*encode)(BeaconDevice& device, const CodecContext& context);
    void (*decode)(BeaconDevice& device);
    // The record members (their JSON keys) the layout stores.
    std::span<const std::string_view> storedMembers;
    // What the model's current firmware answers the version request with,
    // its line end left off: the simulated beacons answer so.
    std::string_view firmwareVersion;
};

using ModelTable = std::span<const ModelInfo>;

// The models' codes, as .wb1 files store them.
inline constexpr DeviceModel kBasicModel{1};
inline constexpr DeviceModel kTarselModel{2};

namespace model_rows {

inline constexpr std::array<VersionRule, 1> kBasicVersions{{
    {"Wrenbolt", VersionVerdict::Identifies},
}};
inline constexpr std::array<VersionRule, 2> kTarselVersions{{
    {"Wrenbolt-Tarsel v0.54", VersionVerdict::Incompatible},
    {"Wrenbolt-Tarsel", VersionVerdict::Identifies},
}};

}  // namespace model_rows

inline constexpr std::array<ModelInfo, 2> kModels{{
    {kBasicModel, "basic", "Basic", model_rows::kBasicVersions, encodeBasic, decodeBasic,
     kBasicStoredMembers, "Wrenbolt v2.1"},
    {kTarselModel, "tarsel", "Tarsel", model_rows::kTarselVersions, encodeTarsel, decodeTarsel,
     kTarselStoredMembers, "Wrenbolt-Tarsel v1.07"},
}};

// The row of a model code, or null (DeviceModel::None has none).
constexpr const ModelInfo* findModel(DeviceModel code, ModelTable models = kModels) {
    for (const ModelInfo& row : models) {
        if (row.code == code) return &row;
    }
    return nullptr;
}

// A name as JSON, plans and the command line spell it; "none" for no model.
constexpr std::string_view modelName(DeviceModel code) {
    const ModelInfo* row = findModel(code);
    return row != nullptr ? row->name : "none";
}

// The title people read ("Basic"), or "unknown".
constexpr std::string_view modelTitle(DeviceModel code) {
    const ModelInfo* row = findModel(code);
    return row != nullptr ? row->title : "unknown";
}

// "none" or a row's name, and back; empty for any other text.
std::optional<DeviceModel> modelFromName(std::string_view name);
// A row's name only: what a plan, a fleet list or a sim: port may name.
std::optional<DeviceModel> identifiedModelFromName(std::string_view name);
// The page's number of a model; DeviceModel::None for any other number.
DeviceModel modelFromCode(std::int32_t code);

// Whether a model's layout stores the member; with no model identified no
// layout applies, and nothing is stored.
constexpr bool modelStores(DeviceModel code, std::string_view key) {
    const ModelInfo* row = findModel(code);
    return row != nullptr && std::ranges::find(row->storedMembers, key) != row->storedMembers.end();
}

// Whether every model's layout stores the member: one the model never
// changes.
constexpr bool everyModelStores(std::string_view key) {
    for (const ModelInfo& row : kModels) {
        if (!modelStores(row.code, key)) return false;
    }
    return true;
}

// The highest model code, the field table's bound for "model".
constexpr std::int64_t maxModelCode() {
    std::int64_t highest = 0;
    for (const ModelInfo& row : kModels) {
        highest = std::max(highest, static_cast<std::int64_t>(row.code));
    }
    return highest;
}

// The names as a person reads a choice: `basic or tarsel`, or quoted
// `"basic" or "tarsel"`; with `none` first when that is a choice too.
std::string modelChoicesText(bool quoted, bool withNone = false);
std::vector<std::string> modelNames();

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
