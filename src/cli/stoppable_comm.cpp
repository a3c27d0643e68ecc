#include "cli/stoppable_comm.h"

#include <utility>

namespace wb {

StoppableComm::StoppableComm(CommApi& inner, TwoStageStop& stop, Warn warn)
    : inner_(inner), stop_(stop), warn_(std::move(warn)) {}

void StoppableComm::setSendingImage(bool sending) {
    if (sending && !sending_) imageBytes_ = 0;
    sending_ = sending;
}

bool StoppableComm::stopDue() {
    if (stop_.update(sending_) && warn_) warn_(imageBytes_);
    return stop_.stage() == StopStage::Now;
}

CommHandle StoppableComm::openPort(const std::string& name) {
    return stopDue() ? kInvalidCommHandle : inner_.openPort(name);
}

bool StoppableComm::getLineSettings(CommHandle handle, LineSettings& settings) {
    return inner_.getLineSettings(handle, settings);
}

bool StoppableComm::setLineSettings(CommHandle handle, const LineSettings& settings) {
    return inner_.setLineSettings(handle, settings);
}

bool StoppableComm::setTimeouts(CommHandle handle, const CommTimeouts& timeouts) {
    return inner_.setTimeouts(handle, timeouts);
}

bool StoppableComm::writeByte(CommHandle handle, std::uint8_t byte, std::uint32_t& written) {
    written = 0;
    if (stopDue()) return false;
    const bool ok = inner_.writeByte(handle, byte, written);
    if (sending_ && written == 1) ++imageBytes_;
    return ok;
}

bool StoppableComm::readBytes(CommHandle handle, std::uint8_t* buffer, std::uint32_t count,
                              std::uint32_t& got) {
    got = 0;
    // As if the time-out passed with nothing: the drain ends.
    if (stopDue()) return true;
    return inner_.readBytes(handle, buffer, count, got);
}

bool StoppableComm::closePort(CommHandle handle) { return inner_.closePort(handle); }

void StoppableComm::sleepMs(std::uint32_t milliseconds) {
    if (stop_.stage() != StopStage::Now) inner_.sleepMs(milliseconds);
}

}  // namespace wb
