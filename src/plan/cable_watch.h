#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "config/beacon_device.h"
#include "serial/serial_port.h"

namespace wb {

// How a plan run and an audit watch their one cable: the beacon is detected
// by identifying again and again, and its removal by one identification
// that finds nobody on a port that did not fail. A port that will not open
// (an adapter unplugged) is tried again each second, and the reason is said
// once for each new trouble, not every second.
class CableWatch {
public:
    using Say = std::function<void(const std::string&)>;

    CableWatch(BeaconDevice& device, SerialPort& port) : device_(device), port_(port) {}

    // Starts `first` afresh. False when the port would not open: the
    // trouble has been said through `say` if it is new, and the watch holds
    // off for a second.
    bool begin(ExchangeState first, const Say& say);
    // The last begin() opened the port after one that would not.
    bool cameBack() const { return cameBack_; }
    // True, spending one tick, while holding off after such a port.
    bool holdingOff();
    // The removal check just ended finds the cable empty.
    bool cableEmpty() const;
    // Ends the exchange under way at once.
    void abandon();

private:
    BeaconDevice& device_;
    SerialPort& port_;
    std::int32_t pauseTicks_ = 0;
    std::string trouble_;
    bool cameBack_ = false;
};

// The version text as reports show it: line breaks and other control bytes
// at its end dropped.
std::string versionField(std::string reply);

}  // namespace wb
