#include "exchange/link_guard.h"

#include "serial/serial_texts.h"

namespace wb {

CommHandle LinkGuard::openPort(const std::string& name) {
    const CommHandle handle = inner().openPort(name);
    if (handle != kInvalidCommHandle) {
        failure_.clear();
        reason_ = IoFailure::Unknown;
    }
    return handle;
}

void LinkGuard::fail(std::string_view text) {
    if (lost()) return;
    failure_ = text;
    reason_ = inner().lastIoFailure();
}

bool LinkGuard::writeByte(CommHandle handle, std::uint8_t byte, std::uint32_t& written) {
    written = 0;
    if (lost()) return false;
    if (inner().writeByte(handle, byte, written)) return true;
    fail(serial_text::kWriteFailed1);
    return false;
}

bool LinkGuard::readBytes(CommHandle handle, std::uint8_t* buffer, std::uint32_t count,
                          std::uint32_t& got) {
    got = 0;
    if (lost()) return false;
    if (inner().readBytes(handle, buffer, count, got)) return true;
    fail(serial_text::kReadFailed1);
    return false;
}

void LinkGuard::sleepMs(std::uint32_t milliseconds) {
    // A dead port needs no pause between the bytes it does not take.
    if (!lost()) inner().sleepMs(milliseconds);
}

}  // namespace wb
