#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace wb {

// Requests on the wire and the pause the beacon needs after each byte.
inline constexpr std::array<std::uint8_t, 2> kVersionRequest = {0x1B, 'V'};
inline constexpr std::array<std::uint8_t, 2> kReadRequest = {0x1B, 'U'};
inline constexpr std::array<std::uint8_t, 4> kWriteRequest = {0x1B, 'D', 0xAA, 'U'};
inline constexpr std::uint32_t kVersionRequestPauseMs = 0;
inline constexpr std::uint32_t kRequestPauseMs = 10;
// The EEPROM needs this long to store each byte of an image chunk.
inline constexpr std::uint32_t kChunkPauseMs = 20;
inline constexpr std::int32_t kChunkSize = 32;
inline constexpr std::int32_t kChunkCount = 8;

// The period of the poll timer that drives the exchange, one tick each.
inline constexpr std::int32_t kPollTickMs = 100;

// A collecting phase gathers on ticks 1 to 6 and finishes on tick 7.
inline constexpr std::int32_t kLastGatheringTick = 6;
inline constexpr std::int32_t kMaxAttempts = 3;

// Bounds that keep a peer that never stops sending from freezing a tick:
// one drain takes at most this many bytes (more than two images), and the
// version reply keeps only its beginning, which is all that is examined.
inline constexpr std::int32_t kMaxBytesPerDrain = 600;
inline constexpr std::size_t kMaxVersionReplyBytes = 1024;

// Ticks an operation can take at most, with every attempt used.
inline constexpr std::int32_t kIdentifyTicks = kLastGatheringTick + 1;
inline constexpr std::int32_t kMaxReadVersionTicks = kMaxAttempts * kIdentifyTicks;
inline constexpr std::int32_t kMaxReadConfigTicks = kMaxReadVersionTicks + kIdentifyTicks;
// 8 chunk ticks, the read-back request tick, and the verifying tick.
inline constexpr std::int32_t kMaxWriteConfigTicks = kMaxReadVersionTicks + kChunkCount + 2;

}  // namespace wb
