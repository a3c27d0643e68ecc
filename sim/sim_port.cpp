#include "sim/sim_port.h"

#include <utility>

namespace wb {

std::optional<DeviceModel> simPortModel(std::string_view name) {
    if (name == "sim:basic") return DeviceModel::Basic;
    if (name == "sim:tarsel") return DeviceModel::Tarsel;
    return std::nullopt;
}

bool isSimPortName(std::string_view name) { return simPortModel(name).has_value(); }

std::optional<SimLink> makeSimLink(std::string_view portName, Clock& clock, BeaconOptions options) {
    const std::optional<DeviceModel> model = simPortModel(portName);
    if (!model) return std::nullopt;
    options.model = *model;
    SimLink link;
    link.beacon = std::make_unique<SimulatedBeacon>(std::move(options));
    link.comm = std::make_unique<SimulatedComm>(*link.beacon, clock);
    return link;
}

}  // namespace wb
