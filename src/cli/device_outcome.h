#pragma once

#include <string>
#include <string_view>

namespace wb {

// The outcomes that count as success for the device commands.
inline bool versionWasRead(const std::string& status) {
    return status.rfind("Version Read : \"", 0) == 0;
}
inline constexpr std::string_view kReadSuccessText = "Read Config Successful";
inline constexpr std::string_view kWriteSuccessText = "Config Written Successfully!";

}  // namespace wb
