#pragma once

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/console_interrupts.h"
#include "cli/device_links.h"
#include "sim/sim_port.h"
#include "sim/simulated_comm.h"
#include "sim/virtual_clock.h"

namespace wb::test {

// The device commands' seam for tests: "sim:basic" and "sim:tarsel" are
// beacons with the given options on a virtual clock, so a whole write runs
// in no wall time; any other name is a port that does not exist.
class SimDeviceLinks : public DeviceLinks {
public:
    BeaconOptions options;
    VirtualClock virtualClock;

    Clock& clock() override { return virtualClock; }
    CommApi& linkFor(const std::string& portName) override {
        if (!link_) {
            const std::string name = isSimPortName(portName) ? portName : "sim:basic";
            link_ = makeSimLink(name, virtualClock, options);
        }
        return *link_->comm;
    }
    // The beacon behind the sim port; the first command creates it.
    SimulatedBeacon& beacon() { return *link_->beacon; }
    SimulatedComm& comm() { return *link_->comm; }
    // All beacons behind a fleet port ("sim:tarsel:fleet=3").
    SimulatedFleet& fleet() { return *link_->fleet; }
    bool used() const { return link_.has_value(); }

private:
    std::optional<SimLink> link_;
};

struct DeviceCliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// `interrupts`: the user's Ctrl-C as the test scripts it; null: the console's.
inline DeviceCliResult runDeviceCommand(SimDeviceLinks& links, const std::vector<std::string>& args,
                                        InterruptSource* interrupts = nullptr) {
    std::vector<const char*> argv{"wrenbolt"};
    for (const auto& arg : args) argv.push_back(arg.c_str());
    std::ostringstream out;
    std::ostringstream err;
    CliContext context{out, err};
    context.deviceLinks = &links;
    context.interrupts = interrupts;
    context.isNamedLink = [](const std::string& name) { return isSimPortName(name); };
    context.namedLinkPrefix = "sim:";
    context.namedLinkNames = simPortNamesText();
    DeviceCliResult result;
    result.exitCode = runCli(static_cast<int>(argv.size()), argv.data(), context);
    result.out = out.str();
    result.err = err.str();
    return result;
}

}  // namespace wb::test
