#include "cli/exchange_driver.h"

#include <algorithm>

#include "exchange/device_exchange.h"

namespace wb {

void driveTicks(Clock& clock, const std::function<NextTick()>& step) {
    std::int64_t due = clock.nowUs() + kTickPeriodUs;
    for (;;) {
        clock.sleepUs(due - clock.nowUs());
        const NextTick next = step();
        if (next == NextTick::Done) return;
        due = next == NextTick::AtOnce ? clock.nowUs() : std::max(due + kTickPeriodUs, clock.nowUs());
    }
}

std::int32_t runUntilIdle(BeaconDevice& device, SerialPort& port, Clock& clock,
                          const TickListener& afterTick, const StopCheck& stop,
                          std::int32_t maxTicks) {
    std::int32_t ticks = 0;
    if (!exchangeBusy(device) || maxTicks <= 0) return 0;
    driveTicks(clock, [&] {
        if (stop && stop()) return NextTick::Done;
        pollTick(device, port);
        ++ticks;
        if (afterTick) afterTick(device);
        return exchangeBusy(device) && ticks < maxTicks ? NextTick::Paced : NextTick::Done;
    });
    return ticks;
}

}  // namespace wb
