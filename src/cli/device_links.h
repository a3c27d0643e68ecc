#pragma once

#include <memory>
#include <optional>
#include <string>

#include "serial/comm_api.h"
#include "sim/clock.h"
#include "sim/sim_port.h"

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

// What a user gets: "sim:basic" and "sim:tarsel" are an in-process beacon
// on real time, every other name goes to the platform's serial device.
class SystemDeviceLinks : public DeviceLinks {
public:
    Clock& clock() override { return clock_; }
    CommApi& linkFor(const std::string& portName) override;

private:
    SteadyClock clock_;
    std::optional<SimLink> sim_;
    std::unique_ptr<CommApi> platform_;
};

}  // namespace wb
