#include "sim/page_sim_names.h"

#include "config/device_model.h"
#include "config/record_fields.h"
#include "image/model_table.h"
#include "sim/simulated_fleet.h"

namespace wb {

std::vector<std::string> pageSimFleets() {
    std::vector<std::string> fleets;
    // Three of a model each, the newest model first as the page has always
    // offered them.
    for (auto row = kModels.rbegin(); row != kModels.rend(); ++row) {
        const std::string name(row->name);
        fleets.push_back(name + ',' + name + ',' + name);
    }
    return fleets;
}

std::string pageSimChoice(std::string_view name) {
    const auto model = modelFromName(name);
    if (model && *model != DeviceModel::None) return std::string(kSimPrefix) + std::string(name);
    const std::string fleet = std::string(kSimPrefix) + std::string(kSimFleet);
    if (name == kSimFleet.substr(0, kSimFleet.size() - 1)) return fleet + pageSimFleets().front();
    if (name.substr(0, kSimFleet.size()) != kSimFleet) return {};
    const std::string_view list = name.substr(kSimFleet.size());
    return parseFleetList(list) ? fleet + std::string(list) : std::string();
}

}  // namespace wb
