#include "plan/beacon_identity.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "plan/hunt_plan.h"
#include "plan/same_text.h"

namespace wb {

std::int64_t storedTxKHz(const DeviceConfig& stored) {
    const double kHz = static_cast<double>(stored.txFrequencyMHz) * 1000.0;
    return std::isfinite(kHz) ? std::llround(kHz) : 0;
}

std::string frequencyText(std::int64_t kHz) {
    std::array<char, 32> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%lld.%03lld", static_cast<long long>(kHz / 1000),
                  static_cast<long long>(kHz % 1000));
    return buffer.data();
}

bool sameIdentity(const DeviceConfig& a, const DeviceConfig& b) {
    return soundAlike(a.morseText, b.morseText) && storedTxKHz(a) == storedTxKHz(b);
}

std::size_t auditEntryFor(const HuntPlan& plan, const DeviceConfig& found, const std::vector<bool>& seen) {
    for (const bool byFrequency : {true, false}) {
        std::size_t entry = kNoPlanEntry;
        for (std::size_t i = 0; i < plan.entries.size(); ++i) {
            const DeviceConfig& stored = plan.entries[i].stored;
            if (byFrequency ? !sameIdentity(stored, found) : !soundAlike(stored.morseText, found.morseText)) {
                continue;
            }
            if (entry == kNoPlanEntry || (seen[entry] && !seen[i])) entry = i;
        }
        if (entry != kNoPlanEntry) return entry;
    }
    return kNoPlanEntry;
}

}  // namespace wb
