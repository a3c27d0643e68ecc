#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "clock/clock.h"
#include "serial/comm_api.h"
#include "sim/beacon_peer.h"
#include "sim/simulated_beacon.h"

namespace wb {

// The platform calls of the serial seam, for failure injection and traces.
enum class CommStep {
    Open,
    GetLineSettings,
    SetLineSettings,
    SetTimeouts,
    Write,
    Read,
    Close,
    Sleep,
};

std::string_view commStepName(CommStep step);

// "sim:basic", ...: one port name for each model of the model table.
const std::vector<std::string>& simPortModelNames();

// One call made through the seam, with the clock at its start.
struct CommCall {
    CommStep step;
    std::int64_t atUs;
    bool ok;
    std::uint32_t value = 0;  // Write: the byte; Read: bytes asked; Sleep: ms
    std::uint32_t got = 0;    // Read: bytes returned
    std::int64_t tookUs = 0;  // Read: time the call blocked
};

// A serial port with a simulated beacon (or a fleet of them) on its far end, behind the CommApi
// seam. Reads block on the clock the way Windows' ReadFile does with the
// port's COMMTIMEOUTS: on a VirtualClock they advance it, on a SteadyClock
// they really wait. Only one handle can be open at a time.
class SimulatedComm : public CommApi {
public:
    // Opens "sim:NAME" for each model (simPortModelNames); more with
    // addPortName.
    SimulatedComm(BeaconPeer& beacon, Clock& clock);

    void addPortName(const std::string& name);
    // Opening this name fails as an absent port would.
    void refusePortName(const std::string& name);
    // Another program holds the port: every open fails.
    void setBusy(bool busy) { busy_ = busy; }
    // The next `times` calls of this step fail (negative: all of them).
    void failStep(CommStep step, std::int32_t times = -1);

    CommHandle openPort(const std::string& name) override;
    bool getLineSettings(CommHandle handle, LineSettings& settings) override;
    bool setLineSettings(CommHandle handle, const LineSettings& settings) override;
    bool setTimeouts(CommHandle handle, const CommTimeouts& timeouts) override;
    bool writeByte(CommHandle handle, std::uint8_t byte, std::uint32_t& written) override;
    bool readBytes(CommHandle handle, std::uint8_t* buffer, std::uint32_t count,
                   std::uint32_t& got) override;
    bool closePort(CommHandle handle) override;
    void sleepMs(std::uint32_t milliseconds) override;
    // A dropped line is a device gone; an injected failure an error.
    IoFailure lastIoFailure() const override {
        return beacon_->lineDropped() ? IoFailure::DeviceGone : IoFailure::OtherError;
    }

    bool isOpen() const { return open_; }
    const std::string& openName() const { return openName_; }
    // The port keeps its settings across opens, as a real one does. A
    // fresh port is at 9600 baud.
    const LineSettings& lineSettings() const { return settings_; }
    const CommTimeouts& timeouts() const { return timeouts_; }
    const std::vector<CommCall>& trace() const { return trace_; }
    void clearTrace() { trace_.clear(); }
    // The bytes written, in order, across all opens.
    std::vector<std::uint8_t> writtenBytes() const;

    BeaconPeer& peer() { return *beacon_; }
    Clock& clock() { return *clock_; }

private:
    bool injectedFailure(CommStep step);
    bool validHandle(CommHandle handle) const;
    bool lineMatchesBeacon() const;
    void record(CommStep step, std::int64_t atUs, bool ok, std::uint32_t value = 0,
                std::uint32_t got = 0, std::int64_t tookUs = 0);

    BeaconPeer* beacon_;
    Clock* clock_;
    std::set<std::string> names_;
    std::set<std::string> refused_;
    bool busy_ = false;
    std::array<std::int32_t, 8> failures_{};

    bool open_ = false;
    CommHandle handle_ = kInvalidCommHandle;
    CommHandle nextHandle_ = 1;
    std::string openName_;
    LineSettings settings_;
    CommTimeouts timeouts_;
    // When the host's transmitter is free again: bytes written back to back
    // leave one after the other.
    std::int64_t txFreeUs_ = 0;

    std::vector<CommCall> trace_;
};

}  // namespace wb
