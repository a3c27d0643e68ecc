#pragma once

#include <cstdint>
#include <functional>

#include "clock/clock.h"
#include "config/beacon_device.h"
#include "exchange/protocol.h"
#include "serial/serial_port.h"

namespace wb {

// The dialog's poll timer for the command line: one pollTick every 100 ms,
// until the exchange is Idle again.
inline constexpr std::int64_t kTickPeriodUs = std::int64_t{kPollTickMs} * 1000;

// What one step of a ticked loop wants next. AtOnce: the step waited on
// its own (for Enter), so the next step comes without a pause.
enum class NextTick { Paced, AtOnce, Done };

// The one tick loop of every command: `step` runs once per 100 ms tick, paced
// like a window timer: a tick that overran its period is followed at once
// by the next, but missed ticks are not made up in a burst.
void driveTicks(Clock& clock, const std::function<NextTick()>& step);

using TickListener = std::function<void(const BeaconDevice&)>;
// Asked before every tick; true ends the run there (the user stopped it).
using StopCheck = std::function<bool()>;

// Ticks the exchange until it is idle again. Returns the number of ticks run. `maxTicks` only guards against a machine that
// never goes idle; the exchange ends on its own well within it.
std::int32_t runUntilIdle(BeaconDevice& device, SerialPort& port, Clock& clock,
                          const TickListener& afterTick, const StopCheck& stop = {},
                          std::int32_t maxTicks = 200);

}  // namespace wb
