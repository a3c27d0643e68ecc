#include "cli/exchange_driver.h"

#include <algorithm>

#include "exchange/device_exchange.h"

namespace wb {

std::int32_t runUntilIdle(BeaconDevice& device, SerialPort& port, Clock& clock,
                          const TickListener& afterTick, const StopCheck& stop,
                          std::int32_t maxTicks) {
    std::int32_t ticks = 0;
    std::int64_t due = clock.nowUs() + kTickPeriodUs;
    while (exchangeBusy(device) && ticks < maxTicks) {
        clock.sleepUs(due - clock.nowUs());
        if (stop && stop()) break;
        pollTick(device, port);
        ++ticks;
        if (afterTick) afterTick(device);
        due = std::max(due + kTickPeriodUs, clock.nowUs());
    }
    return ticks;
}

}  // namespace wb
