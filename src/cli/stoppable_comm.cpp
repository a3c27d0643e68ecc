#include "cli/stoppable_comm.h"

#include <utility>

namespace wb {

StoppableComm::StoppableComm(CommApi& inner, TwoStageStop& stop, Warn warn)
    : ForwardingComm(inner), stop_(stop), warn_(std::move(warn)) {}

void StoppableComm::setSendingImage(bool sending) {
    if (sending && !sending_) imageBytes_ = 0;
    sending_ = sending;
}

bool StoppableComm::stopDue() {
    if (stop_.update(sending_) && warn_) warn_(imageBytes_);
    return stop_.stage() == StopStage::Now;
}

CommHandle StoppableComm::openPort(const std::string& name) {
    return stopDue() ? kInvalidCommHandle : inner().openPort(name);
}

bool StoppableComm::writeByte(CommHandle handle, std::uint8_t byte, std::uint32_t& written) {
    written = 0;
    if (stopDue()) return false;
    const bool ok = inner().writeByte(handle, byte, written);
    if (sending_ && written == 1) ++imageBytes_;
    return ok;
}

bool StoppableComm::readBytes(CommHandle handle, std::uint8_t* buffer, std::uint32_t count,
                              std::uint32_t& got) {
    got = 0;
    // As if the time-out passed with nothing: the drain ends.
    if (stopDue()) return true;
    return inner().readBytes(handle, buffer, count, got);
}

void StoppableComm::sleepMs(std::uint32_t milliseconds) {
    if (stop_.stage() != StopStage::Now) inner().sleepMs(milliseconds);
}

}  // namespace wb
