#pragma once

#include <cstdint>
#include <functional>

#include "cli/two_stage_stop.h"
#include "serial/forwarding_comm.h"

namespace wb {

// A device command's link with the user's interrupts in between. It looks
// at them before every byte and read, counts the image bytes that went
// out, and once a stop is due refuses every further byte, pause, read and
// open, so that the tick under way ends at once without touching the
// beacon. Close still goes through: the port is let go (and unlocked).
class StoppableComm : public ForwardingComm {
public:
    // Called with the image bytes written so far when a first interrupt
    // came while they went out.
    using Warn = std::function<void(std::int32_t bytesWritten)>;

    StoppableComm(CommApi& inner, TwoStageStop& stop, Warn warn);

    // Told after every tick: whether the next bytes written are image bytes.
    // A new image phase starts the count again.
    void setSendingImage(bool sending);
    std::int32_t imageBytesWritten() const { return imageBytes_; }
    // Takes in interrupts; true when the operation is to stop now.
    bool stopDue();

    CommHandle openPort(const std::string& name) override;
    bool writeByte(CommHandle handle, std::uint8_t byte, std::uint32_t& written) override;
    bool readBytes(CommHandle handle, std::uint8_t* buffer, std::uint32_t count,
                   std::uint32_t& got) override;
    void sleepMs(std::uint32_t milliseconds) override;

private:
    TwoStageStop& stop_;
    Warn warn_;
    bool sending_ = false;
    std::int32_t imageBytes_ = 0;
};

}  // namespace wb
