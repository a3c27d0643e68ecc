#pragma once

#include <string_view>

namespace wb::image_text {

// Status texts of the image codecs, dispatch and read-back check.
inline constexpr std::string_view kReadVersionFirst = "Read Version First";
inline constexpr std::string_view kCorruptedEeprom = "Corrupted EEPROM";
inline constexpr std::string_view kReadConfigSuccessful = "Read Config Successful";
inline constexpr std::string_view kVerifyFailedSize = "Verify FAILED SIZE";
inline constexpr std::string_view kVerifyFailed = "Verify Failed";
inline constexpr std::string_view kConfigWritten = "Config Written Successfully!";

}  // namespace wb::image_text
