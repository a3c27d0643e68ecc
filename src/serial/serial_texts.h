#pragma once

#include <string>
#include <string_view>

#include "serial/comm_api.h"

namespace wb {

// The failure texts SerialPort leaves in lastError. The exchange shows them
// to the user as they are, so every blank and capital matters.
namespace serial_text {
inline constexpr std::string_view kOpenGetStateFailed = "Open: GetCommState failed";
inline constexpr std::string_view kOpenSetStateFailed = "Open: SetCommState failed";
inline constexpr std::string_view kOpenSetTimeoutsFailed = "Open: SetCommTimeouts failed";
inline constexpr std::string_view kCloseFailed = "Close: Failed";
inline constexpr std::string_view kCloseInvalid = "Close: ComPort Invalid";
inline constexpr std::string_view kWriteInvalid = "Write: ComPort Invalid";
inline constexpr std::string_view kWriteFailed1 = "Write: Failed 1";
inline constexpr std::string_view kWriteFailed2 = "Write: Failed 2";
inline constexpr std::string_view kReadInvalid = "Read: ComPort Invalid";
inline constexpr std::string_view kReadFailed1 = "Read: Failed 1";

inline std::string couldNotOpen(std::string_view portName) {
    return "Could not open Com Port " + std::string(portName);
}
// The line that follows "Could not open Com Port X" where the platform
// said why; empty when it did not.
inline std::string_view openFailureReason(OpenFailure failure) {
    switch (failure) {
    case OpenFailure::NoSuchPort: return "No such file: the port does not exist (is the adapter plugged in?)";
    case OpenFailure::PermissionDenied: return "Permission denied: this user may not open the port";
    case OpenFailure::Busy: return "The port is busy: another program has it open";
    case OpenFailure::NotSerialDevice: return "Not a serial device";
    case OpenFailure::Unknown: break;
    }
    return {};
}
// Why a port failed in the middle of an operation, where the platform said.
inline std::string_view ioFailureReason(IoFailure failure) {
    switch (failure) {
    case IoFailure::DeviceGone: return "the device is gone (adapter unplugged or line hung up)";
    case IoFailure::OtherError: return "the system reported an input/output error";
    case IoFailure::Unknown: break;
    }
    return {};
}
}  // namespace serial_text

}  // namespace wb
