#include "plan/cable_watch.h"

#include "exchange/device_exchange.h"
#include "exchange/device_operations.h"
#include "plan/plan_texts.h"

namespace wb {
namespace {

// A port that cannot be opened is tried again after this many ticks.
constexpr std::int32_t kPortRetryTicks = 10;

}  // namespace

bool CableWatch::begin(ExchangeState first, const Say& say) {
    beginOperation(device_, port_, first);
    if (exchangeBusy(device_)) {
        cameBack_ = !trouble_.empty();
        trouble_.clear();
        return true;
    }
    cameBack_ = false;
    // Say why it would not open where the platform told.
    const std::string_view reason = openFailureReason(device_, port_);
    const std::string trouble = device_.statusText + "\n" + std::string(reason);
    if (trouble != trouble_) {
        say(plan_text::waitingForPort(device_.statusText));
        if (!reason.empty()) say(std::string(reason));
    }
    trouble_ = trouble;
    pauseTicks_ = kPortRetryTicks - 1;
    return false;
}

bool CableWatch::holdingOff() {
    if (pauseTicks_ <= 0) return false;
    --pauseTicks_;
    return true;
}

bool CableWatch::cableEmpty() const { return foundNobody(device_, port_); }

void CableWatch::abandon() { abandonOperation(device_, port_); }

std::string versionField(std::string reply) {
    while (!reply.empty() && static_cast<unsigned char>(reply.back()) < 0x20) reply.pop_back();
    return reply;
}

}  // namespace wb
