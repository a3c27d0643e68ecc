#pragma once

#include <cstdint>
#include <string>

namespace wb {

// An open serial device as the platform names it: a HANDLE on Windows, a
// file descriptor on POSIX, an index for the simulated link.
using CommHandle = std::intptr_t;
inline constexpr CommHandle kInvalidCommHandle = -1;

// The line settings of a port, one member for each member of the Windows
// DCB. The program sets only the first group; the rest are carried through
// unchanged from what the device reported (read-modify-write), so a driver's
// own choices (error character, XON limits, ...) survive an open.
struct LineSettings {
    std::uint32_t baudRate = 0;
    std::uint8_t byteSize = 0;
    std::uint8_t parity = 0;    // 0 none
    std::uint8_t stopBits = 0;  // 0 one stop bit
    bool outxCtsFlow = false;
    bool outxDsrFlow = false;
    std::uint8_t dtrControl = 0;  // 1 asserted while open
    bool dsrSensitivity = false;
    bool outX = false;
    bool inX = false;
    std::uint8_t rtsControl = 0;  // 1 asserted while open

    // Kept as read.
    bool binary = true;
    bool parityCheck = false;  // fParity
    bool txContinueOnXoff = false;
    bool errorCharEnabled = false;  // fErrorChar
    bool discardNull = false;       // fNull
    bool abortOnError = false;
    std::uint16_t xonLim = 0;
    std::uint16_t xoffLim = 0;
    char xonChar = 0;
    char xoffChar = 0;
    char errorChar = 0;
    char eofChar = 0;
    char evtChar = 0;

    bool operator==(const LineSettings&) const = default;
};

// Read and write time-outs in milliseconds, with Windows' meaning: a read
// of n bytes gives up after multiplier * n + constant, and once a byte has
// arrived, after interval between bytes.
struct CommTimeouts {
    std::uint32_t readIntervalTimeout = 0;
    std::uint32_t readTotalTimeoutMultiplier = 0;
    std::uint32_t readTotalTimeoutConstant = 0;
    std::uint32_t writeTotalTimeoutMultiplier = 0;
    std::uint32_t writeTotalTimeoutConstant = 0;

    bool operator==(const CommTimeouts&) const = default;
};

// Why a port did not open, as far as a user can act on it: the platform's
// error (errno, GetLastError) sorted into the causes worth telling apart.
enum class OpenFailure { Unknown, NoSuchPort, PermissionDenied, Busy, NotSerialDevice };

// Why a read or write on an open port failed, as far as a user can act on
// it: the device went away (an adapter pulled out, a line hung up) or the
// platform reported some other error.
enum class IoFailure { Unknown, DeviceGone, OtherError };

// The primitive calls of a serial link, one for one with the platform's.
// SerialPort holds the rules (states, failure texts, pacing) over this seam.
class CommApi {
public:
    virtual ~CommApi() = default;
    virtual CommHandle openPort(const std::string& name) = 0;
    // Why the last openPort that failed did so; Unknown where the link
    // cannot tell (a simulated one never fails for a reason).
    virtual OpenFailure lastOpenFailure() const { return OpenFailure::Unknown; }
    // Why the last writeByte or readBytes that failed did so.
    virtual IoFailure lastIoFailure() const { return IoFailure::Unknown; }
    virtual bool getLineSettings(CommHandle handle, LineSettings& settings) = 0;
    virtual bool setLineSettings(CommHandle handle, const LineSettings& settings) = 0;
    virtual bool setTimeouts(CommHandle handle, const CommTimeouts& timeouts) = 0;
    // Writes one byte; `written` is 0 or 1. False when the call failed.
    virtual bool writeByte(CommHandle handle, std::uint8_t byte, std::uint32_t& written) = 0;
    // Reads at most `count` bytes; `got` 0 means the time-out passed.
    virtual bool readBytes(CommHandle handle, std::uint8_t* buffer, std::uint32_t count,
                           std::uint32_t& got) = 0;
    virtual bool closePort(CommHandle handle) = 0;
    virtual void sleepMs(std::uint32_t milliseconds) = 0;
};

}  // namespace wb
