#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/device_config.h"

namespace wb {

struct HuntPlan;

// The TX frequency a record stores, in whole kHz, and as "144.500".
std::int64_t storedTxKHz(const DeviceConfig& stored);
std::string frequencyText(std::int64_t kHz);

// Whether two stored records are one beacon to a hunter: the same Morse
// text as it sounds on the same TX frequency. A Sprint's slow and fast
// foxes send the same text on two frequencies.
bool sameIdentity(const DeviceConfig& a, const DeviceConfig& b);

inline constexpr std::size_t kNoPlanEntry = static_cast<std::size_t>(-1);

// The plan entry a beacon read by an audit is: the first not yet seen with
// its identity, else the first with it; failing both, the same by its text
// alone (a beacon on a wrong frequency is one that differs, not a
// stranger). kNoPlanEntry when no entry sends its text.
std::size_t auditEntryFor(const HuntPlan& plan, const DeviceConfig& found, const std::vector<bool>& seen);

}  // namespace wb
