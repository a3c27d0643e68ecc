#include "serial/serial_port.h"

#include "serial/serial_texts.h"

namespace wb {

void applyLineSettings(LineSettings& s, std::uint32_t baudRate) {
    s.baudRate = baudRate;
    s.byteSize = 8;
    s.parity = 0;    // none
    s.stopBits = 0;  // one
    s.outxCtsFlow = false;
    s.outxDsrFlow = false;
    s.dtrControl = 1;  // asserted while the port is open
    s.dsrSensitivity = false;
    s.outX = false;
    s.inX = false;
    s.rtsControl = 1;
}

void SerialPort::setPortName(std::string_view name) { portName = std::string(name); }

bool SerialPort::open() {
    if (isOpen()) {
        if (api_->closePort(handle)) {
            handle = kInvalidCommHandle;
        } else {
            // The old handle is abandoned: the new open replaces it.
            lastError = serial_text::kCloseFailed;
        }
    }

    handle = api_->openPort(portName);
    if (!isOpen()) {
        lastError = serial_text::couldNotOpen(portName);
        openFailure = api_->lastOpenFailure();
        return false;
    }

    LineSettings settings;
    if (!api_->getLineSettings(handle, settings)) {
        return failConfiguring(serial_text::kOpenGetStateFailed);
    }
    applyLineSettings(settings, baudRate);
    if (!api_->setLineSettings(handle, settings)) {
        return failConfiguring(serial_text::kOpenSetStateFailed);
    }
    if (!api_->setTimeouts(handle, kTimeouts)) {
        return failConfiguring(serial_text::kOpenSetTimeoutsFailed);
    }
    return true;
}

bool SerialPort::failConfiguring(std::string_view why) {
    // A half-configured port must not stay held exclusively: release it so
    // that another program (or the next attempt) can have it. The text says
    // why the open failed; if the release fails as well the handle is kept,
    // so that the next open or close tries again.
    lastError = why;
    if (api_->closePort(handle)) handle = kInvalidCommHandle;
    return false;
}

std::int32_t SerialPort::write(const std::uint8_t* bytes, std::int32_t count,
                               std::uint32_t pauseMs) {
    if (!isOpen()) {
        lastError = serial_text::kWriteInvalid;
        return 0;
    }
    if (count <= 0) return 0;

    std::int32_t total = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        std::uint32_t written = 0;
        if (!api_->writeByte(handle, bytes[i], written)) {
            lastError = serial_text::kWriteFailed1;
        }
        // The beacon stores each byte in EEPROM before it can take the next:
        // pause after every byte, also after a failed one.
        api_->sleepMs(pauseMs);
        total += written == 1 ? 1 : 0;
    }
    if (total != count) lastError = serial_text::kWriteFailed2;
    return total;
}

std::int32_t SerialPort::read(std::uint8_t* buffer, std::int32_t count) {
    if (!isOpen()) {
        lastError = serial_text::kReadInvalid;
        return 0;
    }
    if (count <= 0) return 0;

    std::uint32_t got = 0;
    if (!api_->readBytes(handle, buffer, static_cast<std::uint32_t>(count), got)) {
        lastError = serial_text::kReadFailed1;
        return 0;
    }
    const auto asked = static_cast<std::uint32_t>(count);
    return static_cast<std::int32_t>(got < asked ? got : asked);
}

void SerialPort::close() {
    if (!isOpen()) {
        lastError = serial_text::kCloseInvalid;
        return;
    }
    if (api_->closePort(handle)) {
        handle = kInvalidCommHandle;
    } else {
        lastError = serial_text::kCloseFailed;
    }
}

bool SerialPort::probe(std::string_view name) {
    setPortName(name);
    if (!open()) return false;
    close();
    return true;
}

}  // namespace wb
