#include "plan/plan_parse.h"

#include <nlohmann/json.hpp>

#include "config/beacon_device.h"
#include "config/record_json.h"
#include "file/config_file.h"
#include "file/file_texts.h"
#include "image/image_texts.h"
#include "image/model_dispatch.h"
#include "plan/plan_report.h"

namespace wb {
namespace {

using Json = nlohmann::json;

std::string inQuotes(const std::string& name) { return "\"" + name + "\""; }

// base or set: an object of record members, without the model, which the
// plan gives once for all its beacons.
PlanError recordMembers(const Json& value, const std::string& where, std::string& text) {
    if (!value.is_object()) return where + ": expected an object of record members";
    if (value.contains("model")) {
        return where + ": model: not allowed here; the plan's \"model\" names it for every beacon";
    }
    text = value.dump();
    return std::nullopt;
}

PlanError parseBeacon(const Json& item, std::size_t index, PlanSource& source) {
    const std::string where = "beacons[" + std::to_string(index) + "]";
    if (!item.is_object()) return where + ": expected an object with \"name\" and \"set\"";
    PlanSource::Beacon beacon;
    for (const auto& [key, value] : item.items()) {
        if (key == "name") {
            if (!value.is_string() || value.get<std::string>().empty()) {
                return where + ": name: expected a non-empty string";
            }
            beacon.name = value.get<std::string>();
            if (beacon.name.size() > kMaxBeaconNameBytes) {
                return where + ": name: " + std::to_string(beacon.name.size()) + " bytes long; at most " +
                       std::to_string(kMaxBeaconNameBytes) + " fit in its backup's file name";
            }
        } else if (key == "slot") {
            if (!value.is_number_unsigned() || value.get<std::uint64_t>() > 0x7fffffffu) {
                return where + ": slot: expected a whole number from 0";
            }
            beacon.slot = value.get<std::int32_t>();
        } else if (key != "set") {
            return where + ": " + key + ": unknown key (expected \"name\", \"slot\" and \"set\")";
        }
    }
    if (beacon.name.empty()) return where + ": name: required";
    if (item.contains("set")) {
        if (PlanError error = recordMembers(item["set"], "beacon " + inQuotes(beacon.name) + ": set",
                                            beacon.set)) {
            return error;
        }
    }
    for (const PlanSource::Beacon& other : source.beacons) {
        if (other.name == beacon.name) return where + ": name: " + inQuotes(beacon.name) + " is given twice";
    }
    source.beacons.push_back(std::move(beacon));
    return std::nullopt;
}

}  // namespace

PlanError parsePlan(std::string_view text, PlanSource& source) {
    source = PlanSource{};
    if (InputError error = checkJsonText(text, "the plan")) return error;
    const Json plan = Json::parse(text.begin(), text.end(), nullptr, false);
    if (plan.is_discarded()) return std::string("the plan is not JSON");
    if (!plan.is_object()) return std::string("the plan is not a JSON object");
    for (const auto& [key, value] : plan.items()) {
        if (key != "model" && key != "baseFile" && key != "base" && key != "event" && key != "beacons") {
            return key + ": unknown key (expected \"model\", \"baseFile\", \"base\", \"event\" and \"beacons\")";
        }
    }

    const auto model = plan.find("model");
    if (model == plan.end()) return "model: required, " + modelChoicesText(true);
    const auto named = model->is_string() ? identifiedModelFromName(model->get<std::string>()) : std::nullopt;
    if (!named) return "model: expected " + modelChoicesText(true);
    source.model = *named;
    if (const auto file = plan.find("baseFile"); file != plan.end()) {
        if (!file->is_string() || file->get<std::string>().empty()) {
            return std::string("baseFile: expected the name of a .wb1 file");
        }
        source.baseFile = file->get<std::string>();
    }
    if (const auto base = plan.find("base"); base != plan.end()) {
        if (PlanError error = recordMembers(*base, "base", source.base)) return error;
    }
    if (const auto event = plan.find("event"); event != plan.end()) {
        if (PlanError error = parseEvent(*event, source.event.emplace())) return error;
    }
    const auto beacons = plan.find("beacons");
    if (beacons == plan.end() || !beacons->is_array() || beacons->empty()) {
        return std::string("beacons: expected a non-empty list of beacons");
    }
    for (std::size_t i = 0; i < beacons->size(); ++i) {
        if (PlanError error = parseBeacon((*beacons)[i], i, source)) return error;
        if (source.beacons.back().slot && !source.event) {
            return "beacon " + inQuotes(source.beacons.back().name) + ": slot: the plan has no \"event\"";
        }
    }
    return std::nullopt;
}

PlanError loadBaseImage(const PlanSource& source, const std::string& path, FileOps& files,
                        ConfigImage& image) {
    BeaconDevice device;
    device.config.model = source.model;
    loadConfigFile(device, path, files);
    if (device.outcome != Outcome::FileLoaded) return "baseFile: " + path + ": " + device.statusText;
    image = device.images.incomingImage;
    return std::nullopt;
}

PlanError buildPlan(const PlanSource& source, const std::optional<ConfigImage>& baseImage,
                    const PlanCheckOptions& options, HuntPlan& plan) {
    plan = HuntPlan{};
    plan.model = source.model;
    DeviceConfig common;
    common.model = source.model;
    if (baseImage) {
        BeaconDevice device;
        device.config = common;
        device.images.incomingImage = *baseImage;
        device.images.receivedLength = static_cast<std::int32_t>(kImageSize);
        decodeImage(device);
        if (device.outcome != Outcome::ConfigRead) {
            return "baseFile: " + source.baseFile + ": " + device.statusText;
        }
        common = device.config;
    }
    const DeviceConfig fromBaseFile = common;
    if (!source.base.empty()) {
        if (InputError error = applyJsonText(source.base, common)) return "base: " + *error;
    }
    for (const PlanSource::Beacon& beacon : source.beacons) {
        PlanEntry entry;
        entry.name = beacon.name;
        entry.record = common;
        if (!beacon.set.empty()) {
            if (InputError error = applyJsonText(beacon.set, entry.record)) {
                return "beacon " + inQuotes(beacon.name) + ": " + *error;
            }
        }
        entry.record.model = source.model;
        plan.entries.push_back(std::move(entry));
    }
    if (PlanError error = timeEntries(source, baseImage ? &fromBaseFile : nullptr, plan)) return error;
    if (PlanError error = checkPlanEntries(plan, options)) return error;
    return checkEventEntries(plan);
}

}  // namespace wb
