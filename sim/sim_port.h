#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "clock/clock.h"
#include "config/device_model.h"
#include "sim/simulated_beacon.h"
#include "sim/simulated_comm.h"
#include "sim/simulated_fleet.h"

namespace wb {

// Port names that select an in-process simulated beacon instead of a
// device:
//   sim:MODEL                        one beacon of that model (its table name)
//   sim:MODEL:slow-start             ... with a fault (parseBeaconFault's names)
//   sim:MODEL:fleet=3                three of them, one after another: each is
//                                    removed after a written and read-back
//                                    image, and the next connected 6 s later
//   sim:fleet=MODEL,MODEL/silent     a fleet as parseFleetList reads it
// A fault given with fleet=N applies to every beacon of the fleet.
bool isSimPortName(std::string_view name);
// The names there are, for a user who typed one that is not:
// "sim:basic, ..., sim:MODEL:FAULT (FAULT one of silent, ...), ...", one
// sim:NAME for each model.
std::string simPortNamesText();

// A simulated beacon, or a fleet, and the link to it. Held by pointer so
// that the comm's reference survives moves. `beacon` is the first beacon.
struct SimLink {
    std::unique_ptr<SimulatedFleet> fleet;
    SimulatedBeacon* beacon = nullptr;
    std::unique_ptr<SimulatedComm> comm;
};

// The beacons behind a sim port name, on the given clock; empty when the
// name is not a sim port. The name's models (and faults) replace those of
// `options`, which every beacon starts from; the comm opens that very name.
std::optional<SimLink> makeSimLink(std::string_view portName, Clock& clock,
                                   BeaconOptions options = {});

// The same as one link that owns its beacons, with factory options; null
// for any other name. The wrenbolt program serves its sim: ports with it.
std::shared_ptr<CommApi> openSimPort(const std::string& portName, Clock& clock);

}  // namespace wb
