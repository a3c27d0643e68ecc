#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace wb {

// The beacon keeps all of its settings in a 256-byte EEPROM.
inline constexpr std::size_t kImageSize = 256;
using ConfigImage = std::array<std::uint8_t, kImageSize>;

}  // namespace wb
