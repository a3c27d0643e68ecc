#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace wb {

using Sha256Digest = std::array<std::uint8_t, 32>;

// FIPS 180-4 SHA-256 of a whole message held in memory. A plan's report
// carries the digest of each image written, so that an organiser can tell
// two beacons' settings apart or alike without reading them back.
Sha256Digest sha256(std::span<const std::uint8_t> message);
// Lower-case hexadecimal, 64 characters.
std::string sha256Hex(std::span<const std::uint8_t> message);

}  // namespace wb
