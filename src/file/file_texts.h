#pragma once

#include <string_view>

namespace wb::file_text {

// Status texts of Save and Load.
inline constexpr std::string_view kFailedToOpenFile = "Failed to open file";
inline constexpr std::string_view kInvalidFileFormat = "Invalid File Format";
inline constexpr std::string_view kFailedToReadData = "Failed to read data";
inline constexpr std::string_view kFileLoaded = "File Loaded";
inline constexpr std::string_view kFailedToWriteData = "Failed to write data";
inline constexpr std::string_view kFileSaved = "File Saved";

// The names a front end proposes: what Save offers, and the copy of the
// beacon's image a write keeps first. Character arrays, for the dialog's
// fixed file-name buffer.
inline constexpr char kConfigExtension[] = ".wb1";
inline constexpr char kProposedFileName[] = "config1.wb1";
inline constexpr char kBackupFileName[] = "backup.wb1";

}  // namespace wb::file_text
