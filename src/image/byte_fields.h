#pragma once

#include <cstddef>
#include <cstdint>

#include "config/config_image.h"

namespace wb {

inline std::int32_t clampInt(std::int32_t value, std::int32_t lo, std::int32_t hi) {
    return value < lo ? lo : (value > hi ? hi : value);
}

inline std::uint8_t clampToByte(std::int32_t value) {
    return static_cast<std::uint8_t>(clampInt(value, 0, 255));
}

inline void putLe16(ConfigImage& image, std::size_t offset, std::uint32_t value) {
    image[offset] = static_cast<std::uint8_t>(value & 0xFFu);
    image[offset + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFFu);
}

inline std::uint32_t getLe16(const ConfigImage& image, std::size_t offset) {
    return static_cast<std::uint32_t>(image[offset]) |
           (static_cast<std::uint32_t>(image[offset + 1]) << 8);
}

// value + 0.5 truncated toward zero, reduced modulo `modulus` (a power of
// two or of ten, at most 2^32), without ever converting an out-of-range
// double to an integer. Within range this is exactly what the beacon's
// firmware tools did: the low bits (or low decimal digits) of the rounded
// count. The cases the device has no meaning for all give 0: NaN, either
// infinity, and a rounded value below zero (a negative frequency or a
// quotient from a negative divisor).
std::uint32_t roundedModulo(double value, double modulus);

// Rounds a double to single precision; a value beyond the float range
// becomes an infinity of its sign (what IEEE rounding gives) without relying
// on an out-of-range conversion.
float toSingle(double value);

// The four lowest decimal digits of a code, each 0 turned into 0xA as the
// beacon stores them: {thousands, hundreds, tens, units}. A negative code
// has no meaning for the beacon; its magnitude is used.
struct UnlockDigits {
    std::uint8_t d3, d2, d1, d0;
};
UnlockDigits unlockDigits(std::int32_t code);

}  // namespace wb
