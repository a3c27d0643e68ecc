#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "clock/clock.h"
#include "serial/forwarding_comm.h"

namespace wb {

// Wraps a link and writes every call, and every byte read or written, as
// one timestamped line, so that a user can send a bug report of what went
// over the wire.
class TracingComm : public ForwardingComm {
public:
    TracingComm(CommApi& inner, Clock& clock, std::ostream& log);

    CommHandle openPort(const std::string& name) override;
    bool getLineSettings(CommHandle handle, LineSettings& settings) override;
    bool setLineSettings(CommHandle handle, const LineSettings& settings) override;
    bool setTimeouts(CommHandle handle, const CommTimeouts& timeouts) override;
    bool writeByte(CommHandle handle, std::uint8_t byte, std::uint32_t& written) override;
    bool readBytes(CommHandle handle, std::uint8_t* buffer, std::uint32_t count,
                   std::uint32_t& got) override;
    bool closePort(CommHandle handle) override;

private:
    void line(const std::string& text);

    Clock& clock_;
    std::ostream& log_;
    std::int64_t startUs_;
};

}  // namespace wb
