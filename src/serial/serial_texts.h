#pragma once

#include <string>
#include <string_view>

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
}  // namespace serial_text

}  // namespace wb
