#include "sim/page_sim_names.h"

#include "config/device_model.h"
#include "config/record_fields.h"
#include "sim/simulated_fleet.h"

namespace wb {

std::vector<std::string> pageSimFleets() {
    std::vector<std::string> fleets;
    for (const DeviceModel model : {DeviceModel::Tarsel, DeviceModel::Basic}) {
        const std::string name(modelName(model));
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
