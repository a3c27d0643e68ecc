#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plan/hunt_plan.h"

namespace wb {

// What the hunt clock shows at one moment (UTC seconds) of a plan with an
// event: the beacons still to switch on, then the cycle and its slots.
struct HuntClock {
    enum class Phase { NoEvent, Before, Running, Ended };
    Phase phase = Phase::NoEvent;
    // Entries with a slot whose switch-on is still to come, earliest first
    // (plan order within one moment); secondsToSwitchOn counts to the first.
    std::vector<std::size_t> due;
    std::int64_t secondsToSwitchOn = 0;
    // Cycle number from 1 once the start is past, 0 before it.
    std::int64_t cycle = 0;
    // The slot on air by the plan and its entries; no slot in the gap a
    // cycle longer than its slots leaves at its end.
    std::optional<std::int32_t> slot;
    std::vector<std::size_t> onAir;
    // The next slot that has entries (the first one before the start), and
    // the seconds until it begins.
    std::vector<std::size_t> next;
    std::int64_t secondsToNext = 0;
};

HuntClock huntClock(const HuntPlan& plan, std::int64_t nowSec);

// "0:42", "12:05", "1:02:03" (never negative).
std::string countdownText(std::int64_t seconds);

// The clock's lines at a moment: the headline, the line under it, the
// switch-ons still due once the cycles run (a Basic in a late slot goes on
// after the start) and the device's time as the clock reads it, in the
// start's offset.
struct HuntClockLines {
    std::string headline;
    std::string detail;
    std::string reminder;
    std::string deviceTime;
};
HuntClockLines huntClockLines(const HuntPlan& plan, const HuntClock& clock, std::int64_t nowSec);

// A tap on the clock: an entry switched on, or heard or not heard.
struct ClockTap {
    enum class Kind { SwitchedOn, Heard, NotHeard };
    std::int64_t atSec = 0;
    std::size_t entry = 0;
    Kind kind = Kind::SwitchedOn;
};

// The taps as a CSV log, time,beacon,event, with the reports' cell guard:
// times in the start's offset, a switch-on with how far it was from its
// planned moment, a heard or not heard tap with its cycle. Taps naming no
// entry of the plan are left out.
std::string huntLogCsv(const HuntPlan& plan, const std::vector<ClockTap>& taps);

}  // namespace wb
