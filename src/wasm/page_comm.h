#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "serial/comm_api.h"

namespace wb {

// The serial seam of the browser page, whose far side is the page itself.
// WebAssembly cannot block while the page's event loop runs, so the calls
// that block elsewhere become data that the page acts on between ticks:
// - a written byte is queued with the pause that follows it, and the page
//   sends the queue at that pace before the next tick;
// - a read is answered from the bytes that have arrived, which the page
//   hands in; before a tick that reads, the page lets the line go quiet for
//   the read time-out, so a reply still coming is not cut in two.
// Open and close are the module's own view of a port the page keeps open
// for a whole operation: bytes that come while it counts as closed are
// dropped, as they would be on a closed port.
class PageComm : public CommApi {
public:
    struct Outgoing {
        std::uint8_t byte;
        std::uint32_t pauseMs;  // after the byte
        bool image = false;
    };

    // Whether the page holds an open port, and the name it goes by.
    void attach(bool available, const std::string& name);
    const std::string& attachedName() const { return name_; }
    // The page lost the port under an operation (the adapter pulled out, a
    // read or write that failed for good): every call fails until the port
    // is attached and opened again, and the failure says why. `unsent`:
    // bytes of the last queue taken that never reached the line.
    void lose(IoFailure reason, std::size_t unsent);
    IoFailure lastIoFailure() const override { return failure_; }
    // Whether the bytes written from now on are image bytes, which
    // imageBytesSent() counts: those the page put on the line, as far as it
    // knows, since the count was last reset.
    void countImage(bool on) { countingImage_ = on; }
    void resetImageCount();
    std::int32_t imageBytesSent() const;

    // Bytes from the line; dropped while the port counts as closed.
    void arrive(const std::uint8_t* bytes, std::size_t count);
    std::size_t pendingBytes() const { return arrived_.size(); }
    // The bytes written since the last call, each with its pause.
    std::vector<Outgoing> takeOutgoing();
    bool isOpen() const { return open_; }
    const LineSettings& lineSettings() const { return settings_; }

    CommHandle openPort(const std::string& name) override;
    bool getLineSettings(CommHandle handle, LineSettings& settings) override;
    bool setLineSettings(CommHandle handle, const LineSettings& settings) override;
    bool setTimeouts(CommHandle handle, const CommTimeouts& timeouts) override;
    bool writeByte(CommHandle handle, std::uint8_t byte, std::uint32_t& written) override;
    bool readBytes(CommHandle handle, std::uint8_t* buffer, std::uint32_t count,
                   std::uint32_t& got) override;
    bool closePort(CommHandle handle) override;
    void sleepMs(std::uint32_t milliseconds) override;

private:
    static constexpr CommHandle kHandle = 1;
    bool valid(CommHandle handle) const { return open_ && handle == kHandle; }

    bool available_ = false;
    std::string name_;
    bool open_ = false;
    LineSettings settings_;
    std::deque<std::uint8_t> arrived_;
    std::vector<Outgoing> outgoing_;
    IoFailure failure_ = IoFailure::Unknown;
    bool countingImage_ = false;
    // Image bytes written, those of them in the last queue taken, and those
    // that never went out.
    std::int32_t imageQueued_ = 0;
    std::int32_t imageLastTaken_ = 0;
    std::int32_t imageUnsent_ = 0;
};

}  // namespace wb
