#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "sim/beacon_peer.h"
#include "sim/simulated_beacon.h"

namespace wb {

// The time a person takes to unplug a programmed beacon and plug in the
// next: long enough for one failed identification (three attempts of at
// least 0.7 s) to notice the empty cable.
inline constexpr std::int64_t kFleetSwapUs = 6'000'000;

struct FleetOptions {
    // The beacons in the order they are connected.
    std::vector<BeaconOptions> beacons{BeaconOptions{}};
    // Off: one beacon that stays on the cable for ever (the plain
    // simulator). On: after a complete write and its read-back, or a line
    // drop, the beacon is removed and the next one connected.
    bool swapAfterWrite = false;
    // How long a written beacon stays on the cable after its read-back.
    std::int64_t lingerUs = 0;
    // How long the cable stays empty between two beacons.
    std::int64_t swapUs = kFleetSwapUs;
    // A beacon that answered (its image read, or only its version) but got
    // no write request within this time is taken away too, as one a plan
    // refuses or gives up on before its write would be.
    std::int64_t unwrittenStayUs = 10'000'000;
};

// One beacon of a fleet, as a list names it: "basic", "basic/line-drop".
struct FleetEntry {
    DeviceModel model = kBasicModel;
    BeaconFault fault = BeaconFault::None;
};

// "MODEL,MODEL,...": model table names separated by commas, each optionally
// with "/FAULT" (fault names as parseBeaconFault takes). Empty on any mistake.
std::optional<std::vector<FleetEntry>> parseFleetList(std::string_view list);

// The beacons of a list: each as `common` says, with its model, and its
// fault when it names one.
std::vector<BeaconOptions> fleetBeacons(const std::vector<FleetEntry>& list,
                                        const BeaconOptions& common = {});

// The beacons an organiser programs through one cable, one after another.
// A beacon leaves after a whole image has been written and read back, after
// a line drop, or when it answered and then got no write request for a while.
// Each starts as its options say (the factory image unless an EEPROM is
// given). While the cable is empty every byte from the host is lost and
// nothing answers; after the last beacon it stays empty.
class SimulatedFleet final : public BeaconPeer {
public:
    explicit SimulatedFleet(FleetOptions options);

    void receive(std::uint8_t byte, std::int64_t atUs) override;
    std::optional<std::int64_t> nextByteTimeUs() const override;
    std::uint8_t takeByte() override;
    void discardUntil(std::int64_t atUs) override;
    // A fleet's line drop is a beacon pulled off the cable: the host's port
    // stays. The plain simulator passes its one beacon's drop on.
    bool lineDropped() const override;

    // Carries out removals and connections due by nowUs (the server calls
    // it as time passes, so that its log shows them when they happen).
    void advance(std::int64_t nowUs);

    struct Event {
        std::int64_t atUs;
        std::size_t index;  // 0-based, in connection order
        bool connected;     // false: removed
    };
    const std::vector<Event>& events() const { return events_; }
    // The beacons connected so far; the last may still be on the cable.
    const std::vector<std::unique_ptr<SimulatedBeacon>>& beacons() const { return beacons_; }
    // The beacon on the cable, or nullptr while it is empty.
    SimulatedBeacon* connected() const { return connected_ ? beacons_.back().get() : nullptr; }
    std::size_t size() const { return options_.beacons.size(); }
    bool swapping() const { return options_.swapAfterWrite; }
    const FleetOptions& options() const { return options_; }

private:
    void connectNext(std::int64_t atUs);
    void watchRequests();

    FleetOptions options_;
    std::vector<std::unique_ptr<SimulatedBeacon>> beacons_;
    bool connected_ = false;
    std::size_t seenRequests_ = 0;
    bool writeDone_ = false;
    bool writeAsked_ = false;
    std::optional<std::int64_t> removeAtUs_;
    std::optional<std::int64_t> unwrittenSinceUs_;
    std::optional<std::int64_t> connectAtUs_;
    std::vector<Event> events_;
};

}  // namespace wb
