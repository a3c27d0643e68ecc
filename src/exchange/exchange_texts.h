#pragma once

#include <string>
#include <string_view>

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
}  // namespace exchange_text

}  // namespace wb
