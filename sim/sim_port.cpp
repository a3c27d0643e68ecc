#include "sim/sim_port.h"

#include <charconv>
#include <string>
#include <utility>
#include <vector>

#include "sim/page_sim_names.h"

namespace wb {
namespace {

constexpr std::string_view kPrefix = kSimPrefix;
constexpr std::string_view kFleet = kSimFleet;
// More beacons than any hunt uses; a typo of a few digits stays an error.
constexpr int kMaxFleet = 99;

struct SimPortName {
    std::vector<FleetEntry> beacons;
    bool fleet = false;
};

std::optional<int> fleetCount(std::string_view text) {
    int count = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (count < 1 || count > kMaxFleet) return std::nullopt;
    return count;
}

std::optional<SimPortName> parseSimPortName(std::string_view name) {
    if (name.substr(0, kPrefix.size()) != kPrefix) return std::nullopt;
    name.remove_prefix(kPrefix.size());
    SimPortName port;
    if (name.substr(0, kFleet.size()) == kFleet) {
        auto list = parseFleetList(name.substr(kFleet.size()));
        if (!list) return std::nullopt;
        port.beacons = std::move(*list);
        port.fleet = true;
        return port;
    }
    // MODEL, then any of FAULT and fleet=N, each after a colon.
    std::size_t colon = name.find(':');
    auto first = parseFleetList(name.substr(0, colon));
    if (!first || first->size() != 1 || name.substr(0, colon).find('/') != std::string_view::npos) {
        return std::nullopt;
    }
    FleetEntry entry = first->front();
    int count = 1;
    bool faultSeen = false;
    while (colon != std::string_view::npos) {
        name.remove_prefix(colon + 1);
        colon = name.find(':');
        const std::string_view part = name.substr(0, colon);
        if (part.substr(0, kFleet.size()) == kFleet && !port.fleet) {
            const auto n = fleetCount(part.substr(kFleet.size()));
            if (!n) return std::nullopt;
            count = *n;
            port.fleet = true;
        } else if (const auto fault = parseBeaconFault(part); fault && !faultSeen) {
            entry.fault = *fault;
            faultSeen = true;
        } else {
            return std::nullopt;
        }
    }
    port.beacons.assign(static_cast<std::size_t>(count), entry);
    return port;
}

}  // namespace

bool isSimPortName(std::string_view name) { return parseSimPortName(name).has_value(); }

std::string simPortNamesText() {
    std::string faults;
    for (BeaconFault fault : {BeaconFault::Silent, BeaconFault::OtherProduct, BeaconFault::IncompatibleFirmware,
                              BeaconFault::ImageShort, BeaconFault::ImageLong, BeaconFault::EndlessReply,
                              BeaconFault::SlowStart, BeaconFault::LineDrop}) {
        if (!faults.empty()) faults += ", ";
        faults += beaconFaultName(fault);
    }
    std::string models;
    for (const std::string& name : simPortModelNames()) models += name + ", ";
    return models + "sim:MODEL:FAULT (FAULT one of " + faults +
           "), sim:MODEL:fleet=N (N up to " + std::to_string(kMaxFleet) +
           ") and sim:fleet=MODEL,MODEL/FAULT,...";
}

std::optional<SimLink> makeSimLink(std::string_view portName, Clock& clock, BeaconOptions options) {
    const auto port = parseSimPortName(portName);
    if (!port) return std::nullopt;
    FleetOptions fleet;
    fleet.swapAfterWrite = port->fleet;
    fleet.beacons = fleetBeacons(port->beacons, options);
    SimLink link;
    link.fleet = std::make_unique<SimulatedFleet>(std::move(fleet));
    link.beacon = link.fleet->beacons().front().get();
    link.comm = std::make_unique<SimulatedComm>(*link.fleet, clock);
    link.comm->addPortName(std::string(portName));
    return link;
}

std::shared_ptr<CommApi> openSimPort(const std::string& portName, Clock& clock) {
    auto link = makeSimLink(portName, clock);
    if (!link) return nullptr;
    auto owner = std::make_shared<SimLink>(std::move(*link));
    // Shares the ownership of the whole link, points at its comm.
    return std::shared_ptr<CommApi>(owner, owner->comm.get());
}

}  // namespace wb
