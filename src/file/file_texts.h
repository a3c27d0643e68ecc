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

// The names a front end proposes: what Save offers, and the copy of the
// beacon's image a write keeps first. Character arrays, for the dialog's
// fixed file-name buffer.
inline constexpr char kConfigExtension[] = ".wb1";
inline constexpr char kProposedFileName[] = "config1.wb1";
inline constexpr char kBackupFileName[] = "backup.wb1";

}  // namespace wb
