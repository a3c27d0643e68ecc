#pragma once

#include <cstdint>
#include <optional>

namespace wb {

// What sits at the far end of the serial cable, as the simulated link sees
// it: one beacon, or a line of beacons that a person connects and removes
// one after another. Bytes from the host arrive with their times (never
// going backwards); reply bytes are offered with the times they reach the
// host.
class BeaconPeer {
public:
    virtual ~BeaconPeer() = default;

    virtual void receive(std::uint8_t byte, std::int64_t atUs) = 0;
    // When the next reply byte will have arrived; empty when none is queued.
    virtual std::optional<std::int64_t> nextByteTimeUs() const = 0;
    // Takes the next reply byte (call only when nextByteTimeUs has a value).
    virtual std::uint8_t takeByte() = 0;
    // Drops every reply byte due at or before atUs (they met a closed port).
    virtual void discardUntil(std::int64_t atUs) = 0;
    // The host's side of the line is gone: its reads and writes fail.
    virtual bool lineDropped() const = 0;
};

}  // namespace wb
