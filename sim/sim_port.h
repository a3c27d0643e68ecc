#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "config/device_model.h"
#include "sim/clock.h"
#include "sim/simulated_beacon.h"
#include "sim/simulated_comm.h"

namespace wb {

// Port names that select an in-process simulated beacon instead of a
// device: "sim:basic" and "sim:tarsel", optionally with a fault mode after
// another colon ("sim:tarsel:slow-start"; names as parseBeaconFault takes).
bool isSimPortName(std::string_view name);
// The model a sim port name stands for; empty for any other name.
std::optional<DeviceModel> simPortModel(std::string_view name);

// A simulated beacon and the link to it. The beacon is held by pointer so
// that the comm's reference to it survives moves.
struct SimLink {
    std::unique_ptr<SimulatedBeacon> beacon;
    std::unique_ptr<SimulatedComm> comm;
};

// The beacon behind a sim port name, on the given clock; empty when the
// name is not a sim port. The name's model (and fault, if it has one)
// replace those of `options`; the comm opens that very name.
std::optional<SimLink> makeSimLink(std::string_view portName, Clock& clock,
                                   BeaconOptions options = {});

}  // namespace wb
