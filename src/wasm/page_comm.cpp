#include "wasm/page_comm.h"

#include <algorithm>

#include "config/config_image.h"
#include "serial/serial_port.h"

namespace wb {

void PageComm::attach(bool available, const std::string& name) {
    available_ = available;
    name_ = name;
    if (!available_) {
        open_ = false;
        arrived_.clear();
    }
}

void PageComm::lose(IoFailure reason, std::size_t unsent) {
    if (!available_) return;
    available_ = false;
    open_ = false;
    arrived_.clear();
    failure_ = reason;
    // Image bytes come last in a queue: a tick queues a chunk of the image
    // or requests, never both. What was not taken yet never goes out.
    const auto tail = static_cast<std::int32_t>(std::min<std::size_t>(unsent, kImageSize));
    std::int32_t untaken = 0;
    for (const Outgoing& item : outgoing_) untaken += item.image ? 1 : 0;
    outgoing_.clear();
    imageUnsent_ += std::min(tail, imageLastTaken_) + untaken;
    imageLastTaken_ = 0;
}

void PageComm::resetImageCount() {
    imageQueued_ = 0;
    imageLastTaken_ = 0;
    imageUnsent_ = 0;
}

std::int32_t PageComm::imageBytesSent() const { return std::max(0, imageQueued_ - imageUnsent_); }

void PageComm::arrive(const std::uint8_t* bytes, std::size_t count) {
    if (!open_) return;
    arrived_.insert(arrived_.end(), bytes, bytes + count);
}

std::vector<PageComm::Outgoing> PageComm::takeOutgoing() {
    std::vector<Outgoing> taken;
    taken.swap(outgoing_);
    imageLastTaken_ = 0;
    for (const Outgoing& item : taken) imageLastTaken_ += item.image ? 1 : 0;
    return taken;
}

CommHandle PageComm::openPort(const std::string&) {
    // The page opened the port it offers before the operation started; the
    // name is the one it reported, so any name opens that port.
    if (!available_) return kInvalidCommHandle;
    open_ = true;
    arrived_.clear();
    failure_ = IoFailure::Unknown;
    return kHandle;
}

bool PageComm::getLineSettings(CommHandle handle, LineSettings& settings) {
    if (!valid(handle)) return false;
    settings = settings_;
    return true;
}

bool PageComm::setLineSettings(CommHandle handle, const LineSettings& settings) {
    if (!valid(handle)) return false;
    // The page opens its port on the beacons' line (the module tells it
    // which); any other request could not be honoured.
    LineSettings line = settings;
    applyLineSettings(line, SerialPort::kBaudRate);
    if (settings.baudRate != line.baudRate || settings.byteSize != line.byteSize || settings.parity != line.parity ||
        settings.stopBits != line.stopBits || settings.outxCtsFlow || settings.outxDsrFlow || settings.outX ||
        settings.inX) {
        return false;
    }
    settings_ = settings;
    return true;
}

bool PageComm::setTimeouts(CommHandle handle, const CommTimeouts&) { return valid(handle); }

bool PageComm::writeByte(CommHandle handle, std::uint8_t byte, std::uint32_t& written) {
    written = 0;
    if (!valid(handle)) return false;
    outgoing_.push_back({byte, 0, countingImage_});
    if (countingImage_) ++imageQueued_;
    written = 1;
    return true;
}

bool PageComm::readBytes(CommHandle handle, std::uint8_t* buffer, std::uint32_t count,
                         std::uint32_t& got) {
    got = 0;
    if (!valid(handle)) return false;
    const auto n = std::min<std::size_t>(count, arrived_.size());
    std::copy_n(arrived_.begin(), n, buffer);
    arrived_.erase(arrived_.begin(), arrived_.begin() + static_cast<std::ptrdiff_t>(n));
    got = static_cast<std::uint32_t>(n);
    return true;
}

bool PageComm::closePort(CommHandle handle) {
    if (!valid(handle)) return false;
    open_ = false;
    arrived_.clear();
    return true;
}

void PageComm::sleepMs(std::uint32_t milliseconds) {
    // SerialPort pauses after each byte it writes: the pause belongs to the
    // byte just queued.
    if (!outgoing_.empty()) outgoing_.back().pauseMs += milliseconds;
}

}  // namespace wb
