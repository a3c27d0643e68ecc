#pragma once

#include <functional>
#include <memory>
#include <string>

#include "clock/clock.h"
#include "serial/comm_api.h"

namespace wb {

// How the device commands reach a beacon: the serial calls behind a port
// name, and the clock their 100 ms ticks run on. Tests put in their own,
// with a simulated beacon on a virtual clock.
class DeviceLinks {
public:
    virtual ~DeviceLinks() = default;
    virtual Clock& clock() = 0;
    // The link that serves this port name. It lives as long as this object.
    virtual CommApi& linkFor(const std::string& portName) = 0;
};

// A link for a port name that is not a serial device, on the given clock;
// null for every other name. The wrenbolt program hands in the simulator's
// "sim:" ports this way (see cli/main.cpp), so that this library knows
// nothing of the simulator.
using NamedLinkOpener = std::function<std::shared_ptr<CommApi>(const std::string& portName, Clock& clock)>;

// What a user gets: the names the opener serves on real time, every other
// name the platform's serial device. One command asks for one port.
class SystemDeviceLinks : public DeviceLinks {
public:
    explicit SystemDeviceLinks(NamedLinkOpener openNamed) : openNamed_(std::move(openNamed)) {}
    Clock& clock() override { return clock_; }
    CommApi& linkFor(const std::string& portName) override;

private:
    SteadyClock clock_;
    NamedLinkOpener openNamed_;
    std::shared_ptr<CommApi> named_;
    std::unique_ptr<CommApi> platform_;
};

}  // namespace wb
