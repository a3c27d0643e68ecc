#pragma once

#include <string_view>

namespace wb {

// Status texts of Save and Load.
inline constexpr std::string_view kFailedToOpenFileText = "Failed to open file";
inline constexpr std::string_view kInvalidFileFormatText = "Invalid File Format";
inline constexpr std::string_view kFailedToReadDataText = "Failed to read data";
inline constexpr std::string_view kFileLoadedText = "File Loaded";
inline constexpr std::string_view kFailedToWriteDataText = "Failed to write data";
inline constexpr std::string_view kFileSavedText = "File Saved";

}  // namespace wb
