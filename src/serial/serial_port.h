#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "serial/comm_api.h"

namespace wb {

// The program's one link to the beacon: 2400 baud 8N1, no flow control,
// bytes written one at a time with a pause after each (the beacon stores
// each byte in EEPROM as it comes), reads with short fixed time-outs.
// Failures never throw: they leave a text in lastError, which a later
// success does not clear.
// Sets the members of the line the program chooses: 8 data bits, no
// parity, one stop bit, no flow control, DTR and RTS asserted.
void applyLineSettings(LineSettings& settings, std::uint32_t baudRate);

class SerialPort {
public:
    // 50 ms between bytes, 3 ms a byte plus 100 ms for a whole read: a
    // one-byte read returns a waiting byte at once and otherwise gives up
    // after 103 ms, which the exchange's 100 ms tick relies on. Writes give
    // up after 302 ms.
    static constexpr CommTimeouts kTimeouts{50, 3, 100, 2, 300};
    // How long a one-byte read waits for a byte that does not come.
    static constexpr std::uint32_t kOneByteReadTimeoutMs =
        kTimeouts.readTotalTimeoutMultiplier + kTimeouts.readTotalTimeoutConstant;

    // The beacons' one line speed.
    static constexpr std::uint32_t kBaudRate = 2400;

    explicit SerialPort(CommApi& api) : api_(&api) {}

    CommHandle handle = kInvalidCommHandle;
    std::string portName = "COM1";
    std::uint32_t baudRate = kBaudRate;
    std::string lastError;
    // Why the last open that failed at opening did so.
    OpenFailure openFailure = OpenFailure::Unknown;

    bool isOpen() const { return handle != kInvalidCommHandle; }

    void setPortName(std::string_view name);
    // Closes a port still open, then opens portName and configures it. A
    // port that opened but could not be configured is closed again, so it
    // is not left held half set up.
    bool open();
    std::int32_t write(const std::uint8_t* bytes, std::int32_t count, std::uint32_t pauseMs);
    std::int32_t read(std::uint8_t* buffer, std::int32_t count);
    void close();
    bool probe(std::string_view name);

private:
    bool failConfiguring(std::string_view why);

    CommApi* api_;
};

}  // namespace wb
