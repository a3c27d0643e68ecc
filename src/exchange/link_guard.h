#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "serial/forwarding_comm.h"

namespace wb {

// A link that gives up at its first failed read or write. An adapter pulled
// out (or a line hung up) fails every call after the first, each after its
// paced pause, so the exchange would go on sending the rest of an image into
// a dead port and end with the last failure's text. Once a call has failed
// this link refuses every further byte, pause and read at once, and keeps
// the first failure for the front end to report, until the port opens again.
// The dialog talks to its port directly; every other front end puts this
// between its port and the platform.
class LinkGuard : public ForwardingComm {
public:
    explicit LinkGuard(CommApi& inner) : ForwardingComm(inner) {}

    // A read or write failed since the port last opened.
    bool lost() const { return !failure_.empty(); }
    // The port's text for that first failure ("Write: Failed 1"), and why.
    const std::string& failure() const { return failure_; }
    IoFailure reason() const { return reason_; }

    CommHandle openPort(const std::string& name) override;
    bool writeByte(CommHandle handle, std::uint8_t byte, std::uint32_t& written) override;
    bool readBytes(CommHandle handle, std::uint8_t* buffer, std::uint32_t count,
                   std::uint32_t& got) override;
    void sleepMs(std::uint32_t milliseconds) override;

private:
    void fail(std::string_view text);

    std::string failure_;
    IoFailure reason_ = IoFailure::Unknown;
};

}  // namespace wb
