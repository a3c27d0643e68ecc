#include "sim/simulated_comm.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <optional>

#include "image/model_table.h"

namespace wb {
namespace {

constexpr std::uint32_t kMaxDword = std::numeric_limits<std::uint32_t>::max();

LineSettings freshPortSettings() {
    LineSettings settings;
    settings.baudRate = 9600;
    settings.byteSize = 8;
    settings.dtrControl = 1;
    settings.rtsControl = 1;
    return settings;
}

}  // namespace

const std::vector<std::string>& simPortModelNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const ModelInfo& model : kModels) list.push_back("sim:" + std::string(model.name));
        return list;
    }();
    return names;
}

std::string_view commStepName(CommStep step) {
    switch (step) {
    case CommStep::Open:
        return "open";
    case CommStep::GetLineSettings:
        return "get-line-settings";
    case CommStep::SetLineSettings:
        return "set-line-settings";
    case CommStep::SetTimeouts:
        return "set-timeouts";
    case CommStep::Write:
        return "write";
    case CommStep::Read:
        return "read";
    case CommStep::Close:
        return "close";
    case CommStep::Sleep:
        return "sleep";
    }
    return "step";
}

SimulatedComm::SimulatedComm(BeaconPeer& beacon, Clock& clock)
    : beacon_(&beacon), clock_(&clock), names_(simPortModelNames().begin(), simPortModelNames().end()),
      settings_(freshPortSettings()) {}

void SimulatedComm::addPortName(const std::string& name) { names_.insert(name); }

void SimulatedComm::refusePortName(const std::string& name) { refused_.insert(name); }

void SimulatedComm::failStep(CommStep step, std::int32_t times) {
    failures_[static_cast<std::size_t>(step)] = times;
}

bool SimulatedComm::injectedFailure(CommStep step) {
    std::int32_t& left = failures_[static_cast<std::size_t>(step)];
    if (left == 0) return false;
    if (left > 0) --left;
    return true;
}

bool SimulatedComm::validHandle(CommHandle handle) const {
    return open_ && handle == handle_;
}

bool SimulatedComm::lineMatchesBeacon() const {
    return settings_.baudRate == kBaudRate && settings_.byteSize == 8 && settings_.parity == 0 &&
           settings_.stopBits == 0;
}

void SimulatedComm::record(CommStep step, std::int64_t atUs, bool ok, std::uint32_t value,
                           std::uint32_t got, std::int64_t tookUs) {
    trace_.push_back({step, atUs, ok, value, got, tookUs});
}

CommHandle SimulatedComm::openPort(const std::string& name) {
    const std::int64_t now = clock_->nowUs();
    const bool known = names_.count(name) != 0 && refused_.count(name) == 0;
    if (!known || busy_ || open_ || injectedFailure(CommStep::Open)) {
        record(CommStep::Open, now, false);
        return kInvalidCommHandle;
    }
    open_ = true;
    handle_ = nextHandle_++;
    openName_ = name;
    // Whatever the beacon sent while the port was closed is gone.
    beacon_->discardUntil(now);
    record(CommStep::Open, now, true);
    return handle_;
}

bool SimulatedComm::getLineSettings(CommHandle handle, LineSettings& settings) {
    const bool ok = validHandle(handle) && !injectedFailure(CommStep::GetLineSettings);
    if (ok) settings = settings_;
    record(CommStep::GetLineSettings, clock_->nowUs(), ok);
    return ok;
}

bool SimulatedComm::setLineSettings(CommHandle handle, const LineSettings& settings) {
    const bool ok = validHandle(handle) && !injectedFailure(CommStep::SetLineSettings);
    if (ok) settings_ = settings;
    record(CommStep::SetLineSettings, clock_->nowUs(), ok);
    return ok;
}

bool SimulatedComm::setTimeouts(CommHandle handle, const CommTimeouts& timeouts) {
    const bool ok = validHandle(handle) && !injectedFailure(CommStep::SetTimeouts);
    if (ok) timeouts_ = timeouts;
    record(CommStep::SetTimeouts, clock_->nowUs(), ok);
    return ok;
}

bool SimulatedComm::writeByte(CommHandle handle, std::uint8_t byte, std::uint32_t& written) {
    written = 0;
    const std::int64_t now = clock_->nowUs();
    const bool ok = validHandle(handle) && !beacon_->lineDropped() &&
                    !injectedFailure(CommStep::Write);
    if (ok) {
        written = 1;
        // The driver buffers the byte and returns; it reaches the beacon
        // once it has been clocked out behind any earlier ones.
        const std::int64_t arrivesUs = std::max(now, txFreeUs_) + kByteTimeUs;
        txFreeUs_ = arrivesUs;
        // At another speed or framing the beacon hears only noise.
        if (lineMatchesBeacon()) beacon_->receive(byte, arrivesUs);
    }
    record(CommStep::Write, now, ok, byte);
    return ok;
}

bool SimulatedComm::readBytes(CommHandle handle, std::uint8_t* buffer, std::uint32_t count,
                              std::uint32_t& got) {
    got = 0;
    const std::int64_t startUs = clock_->nowUs();
    if (!validHandle(handle) || beacon_->lineDropped() || injectedFailure(CommStep::Read)) {
        record(CommStep::Read, startUs, false, count);
        return false;
    }

    const CommTimeouts& t = timeouts_;
    // MAXDWORD interval with no totals: return at once with what is there.
    const bool immediate = t.readIntervalTimeout == kMaxDword &&
                           t.readTotalTimeoutMultiplier == 0 && t.readTotalTimeoutConstant == 0;
    const std::uint64_t totalMs = static_cast<std::uint64_t>(t.readTotalTimeoutMultiplier) * count +
                                  t.readTotalTimeoutConstant;
    std::optional<std::int64_t> deadlineUs;
    if (immediate) {
        deadlineUs = startUs;
    } else if (totalMs > 0) {
        deadlineUs = startUs + static_cast<std::int64_t>(totalMs) * 1000;
    }
    const bool useInterval = !immediate && t.readIntervalTimeout > 0;

    bool ok = true;
    std::int64_t lastArrivalUs = startUs;
    while (got < count) {
        if (beacon_->lineDropped()) {
            ok = false;
            break;
        }
        const std::int64_t now = clock_->nowUs();
        const std::optional<std::int64_t> next = beacon_->nextByteTimeUs();
        if (next && *next <= now) {
            lastArrivalUs = *next;
            buffer[got++] = beacon_->takeByte();
            continue;
        }
        std::optional<std::int64_t> limitUs = deadlineUs;
        if (useInterval && got > 0) {
            const std::int64_t intervalEnd =
                lastArrivalUs + static_cast<std::int64_t>(t.readIntervalTimeout) * 1000;
            limitUs = limitUs ? std::min(*limitUs, intervalEnd) : intervalEnd;
        }
        if (next && (!limitUs || *next <= *limitUs)) {
            clock_->sleepUs(*next - now);
            continue;
        }
        // Nothing more within the time-outs. With no time-out at all a real
        // read would wait for ever; nothing will come, so give up here.
        if (limitUs && *limitUs > now) clock_->sleepUs(*limitUs - now);
        break;
    }
    record(CommStep::Read, startUs, ok, count, got, clock_->nowUs() - startUs);
    return ok;
}

bool SimulatedComm::closePort(CommHandle handle) {
    const bool ok = validHandle(handle) && !injectedFailure(CommStep::Close);
    if (ok) {
        open_ = false;
        handle_ = kInvalidCommHandle;
        openName_.clear();
    }
    record(CommStep::Close, clock_->nowUs(), ok);
    return ok;
}

void SimulatedComm::sleepMs(std::uint32_t milliseconds) {
    record(CommStep::Sleep, clock_->nowUs(), true, milliseconds);
    clock_->sleepUs(static_cast<std::int64_t>(milliseconds) * 1000);
}

std::vector<std::uint8_t> SimulatedComm::writtenBytes() const {
    std::vector<std::uint8_t> bytes;
    for (const CommCall& call : trace_) {
        if (call.step == CommStep::Write && call.ok) {
            bytes.push_back(static_cast<std::uint8_t>(call.value));
        }
    }
    return bytes;
}

}  // namespace wb
