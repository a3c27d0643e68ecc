#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "config/config_image.h"
#include "serial/serial_texts.h"

namespace wb {

// The status texts of the device exchange, exactly as the user sees them.
namespace exchange_text {
inline constexpr std::string_view kReadingVersion = "Reading Version";
inline constexpr std::string_view kReadingConfig = "Reading Config";
inline constexpr std::string_view kWritingConfig = "Writing Config : ";
inline constexpr std::string_view kChunkStar = "*";
inline constexpr std::string_view kVerifyingConfig = "Verifying Config";
// The trailing blank is part of the beacon software's text.
inline constexpr std::string_view kConfigNotRead = "Config not read ";
inline constexpr std::string_view kModelMismatch = "Model mismatch: Read Config First";

inline std::string versionRead(const std::string& reply) {
    return "Version Read : \"" + reply + "\"";
}
inline std::string incompatibleVersion(const std::string& reply) {
    return "Incompatible version (" + reply + ")";
}
inline std::string notFound(const std::string& reply) {
    return "Wrenbolt not found : (" + reply + ")";
}

// An operation ended because its port failed under it: said beside the
// port's first failure ("Read: Failed 1"), so that a cut-short image is not
// taken for a faulty beacon.
inline std::string portLost(IoFailure reason) {
    const std::string_view why = serial_text::ioFailureReason(reason);
    return "The port was lost" + std::string(why.empty() ? "" : ": ") + std::string(why);
}
// How much of an image write went out before it was cut short (`how`:
// "Port lost", "Stopped"); the beacon holds a mix of the two images when
// mixedImage() says so, and each front end then says how to restore it.
inline bool mixedImage(std::int32_t bytesWritten) {
    return bytesWritten > 0 && bytesWritten < static_cast<std::int32_t>(kImageSize);
}
inline std::string cutWrite(std::string_view how, std::int32_t bytesWritten) {
    const std::string count =
        std::to_string(bytesWritten) + " of " + std::to_string(kImageSize) + " bytes written";
    if (bytesWritten <= 0) return std::string(how) + "; nothing was written to the beacon.";
    if (!mixedImage(bytesWritten)) return std::string(how) + ": " + count + ", not verified.";
    return std::string(how) + ": " + count +
           ". The beacon holds the start of the new configuration and the rest of the old one.";
}
}  // namespace exchange_text

}  // namespace wb
