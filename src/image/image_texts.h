#pragma once

#include <string_view>

namespace wb {

// Status texts of the image codecs, dispatch and read-back check.
inline constexpr std::string_view kReadVersionFirstText = "Read Version First";
inline constexpr std::string_view kCorruptedEepromText = "Corrupted EEPROM";
inline constexpr std::string_view kReadConfigSuccessfulText = "Read Config Successful";
inline constexpr std::string_view kVerifyFailedSizeText = "Verify FAILED SIZE";
inline constexpr std::string_view kVerifyFailedText = "Verify Failed";
inline constexpr std::string_view kConfigWrittenText = "Config Written Successfully!";

}  // namespace wb
