#include "sim/sim_port.h"

#include <string>
#include <utility>

namespace wb {
namespace {

constexpr std::string_view kPrefix = "sim:";

struct SimPortName {
    DeviceModel model;
    BeaconFault fault;
};

// "sim:basic", "sim:tarsel", either with ":fault" after it.
std::optional<SimPortName> parseSimPortName(std::string_view name) {
    if (name.substr(0, kPrefix.size()) != kPrefix) return std::nullopt;
    name.remove_prefix(kPrefix.size());
    const std::size_t colon = name.find(':');
    const std::string_view modelName = name.substr(0, colon);
    SimPortName port{DeviceModel::None, BeaconFault::None};
    if (modelName == "basic") {
        port.model = DeviceModel::Basic;
    } else if (modelName == "tarsel") {
        port.model = DeviceModel::Tarsel;
    } else {
        return std::nullopt;
    }
    if (colon != std::string_view::npos) {
        const auto fault = parseBeaconFault(name.substr(colon + 1));
        if (!fault) return std::nullopt;
        port.fault = *fault;
    }
    return port;
}

}  // namespace

std::optional<DeviceModel> simPortModel(std::string_view name) {
    const auto port = parseSimPortName(name);
    if (!port) return std::nullopt;
    return port->model;
}

bool isSimPortName(std::string_view name) { return parseSimPortName(name).has_value(); }

std::optional<SimLink> makeSimLink(std::string_view portName, Clock& clock, BeaconOptions options) {
    const auto port = parseSimPortName(portName);
    if (!port) return std::nullopt;
    options.model = port->model;
    if (port->fault != BeaconFault::None) options.fault = port->fault;
    SimLink link;
    link.beacon = std::make_unique<SimulatedBeacon>(std::move(options));
    link.comm = std::make_unique<SimulatedComm>(*link.beacon, clock);
    link.comm->addPortName(std::string(portName));
    return link;
}

}  // namespace wb
