#include "image/byte_fields.h"

#include <cmath>
#include <limits>

namespace wb {

std::uint32_t roundedModulo(double value, double modulus) {
    const double rounded = std::trunc(value + 0.5);
    if (!std::isfinite(rounded) || rounded < 0.0) return 0;
    // fmod is exact for doubles, and the result is below modulus <= 2^32.
    return static_cast<std::uint32_t>(std::fmod(rounded, modulus));
}

float toSingle(double value) {
    // Halfway between FLT_MAX and 2^128: from here on IEEE rounding gives inf.
    constexpr double kOverflow = 0x1.ffffffp127;
    if (value >= kOverflow) return std::numeric_limits<float>::infinity();
    if (value <= -kOverflow) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

UnlockDigits unlockDigits(std::int32_t code) {
    // int64 so that the magnitude of INT32_MIN does not overflow.
    std::int64_t value = code;
    if (value < 0) value = -value;
    auto digit = [value](std::int64_t divisor) {
        const auto d = static_cast<std::uint8_t>((value / divisor) % 10);
        return d == 0 ? std::uint8_t{0xA} : d;
    };
    return {digit(1000), digit(100), digit(10), digit(1)};
}

}  // namespace wb
