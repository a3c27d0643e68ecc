#include "plan/hunt_clock.h"

#include <algorithm>

#include "plan/clock_texts.h"
#include "plan/event_time.h"
#include "util/csv_cells.h"

namespace wb {
namespace {

std::vector<std::size_t> inSlot(const HuntPlan& plan, std::int32_t slot) {
    std::vector<std::size_t> entries;
    for (std::size_t i = 0; i < plan.entries.size(); ++i) {
        if (entryTiming(plan, i).slot == slot) entries.push_back(i);
    }
    return entries;
}

std::string names(const HuntPlan& plan, const std::vector<std::size_t>& entries) {
    std::string text;
    for (std::size_t i : entries) text += (text.empty() ? "" : ", ") + plan.entries.at(i).name;
    return text;
}

// The 1-based cycle a moment lies in, 0 before the start.
std::int64_t cycleAt(const PlanEvent& event, std::int64_t nowSec) {
    if (nowSec < event.start.utcSec) return 0;
    return (nowSec - event.start.utcSec) / event.cycleSec + 1;
}

}  // namespace

HuntClock huntClock(const HuntPlan& plan, std::int64_t nowSec) {
    HuntClock clock;
    if (!plan.event) return clock;
    const PlanEvent& event = *plan.event;
    if (event.end && nowSec >= event.end->utcSec) {
        clock.phase = HuntClock::Phase::Ended;
        return clock;
    }
    for (std::size_t i = 0; i < plan.entries.size(); ++i) {
        const BeaconTiming& t = entryTiming(plan, i);
        if (t.slot && t.switchOnSec > nowSec) clock.due.push_back(i);
    }
    std::stable_sort(clock.due.begin(), clock.due.end(), [&](std::size_t a, std::size_t b) {
        return entryTiming(plan, a).switchOnSec < entryTiming(plan, b).switchOnSec;
    });
    if (!clock.due.empty()) clock.secondsToSwitchOn = entryTiming(plan, clock.due.front()).switchOnSec - nowSec;

    const std::int32_t slots = event.cycleSec / event.slotSec;
    clock.cycle = cycleAt(event, nowSec);
    // Before the start, the first cycle's.
    const std::int64_t cycleStart = event.start.utcSec + std::max<std::int64_t>(clock.cycle - 1, 0) * event.cycleSec;
    clock.phase = clock.cycle == 0 ? HuntClock::Phase::Before : HuntClock::Phase::Running;
    if (clock.cycle > 0) {
        const std::int64_t into = nowSec - cycleStart;
        if (into < std::int64_t{slots} * event.slotSec) {
            clock.slot = static_cast<std::int32_t>(into / event.slotSec);
            clock.onAir = inSlot(plan, *clock.slot);
        }
    }
    // The next slot with entries after the one on air, a whole cycle round
    // at most; before the start, the first of the first cycle.
    const std::int64_t from = clock.cycle == 0 ? 0 : clock.slot.value_or(slots - 1) + 1;
    for (std::int64_t k = from; k < from + slots; ++k) {
        clock.next = inSlot(plan, static_cast<std::int32_t>(k % slots));
        if (clock.next.empty()) continue;
        clock.secondsToNext = cycleStart + k / slots * event.cycleSec + k % slots * event.slotSec - nowSec;
        break;
    }
    return clock;
}

std::string countdownText(std::int64_t seconds) {
    seconds = std::max<std::int64_t>(seconds, 0);
    const std::int64_t h = seconds / 3600;
    const std::int64_t m = seconds / 60 % 60;
    const std::int64_t s = seconds % 60;
    const auto two = [](std::int64_t v) { return (v < 10 ? "0" : "") + std::to_string(v); };
    if (h > 0) return std::to_string(h) + ":" + two(m) + ":" + two(s);
    return std::to_string(m) + ":" + two(s);
}

HuntClockLines huntClockLines(const HuntPlan& plan, const HuntClock& clock, std::int64_t nowSec) {
    HuntClockLines lines;
    if (!plan.event) return lines;
    const EventTime& start = plan.event->start;
    const std::string iso = isoText(nowSec, start.offsetMin);
    const std::string offset = iso.back() == 'Z' ? "+00:00" : iso.substr(iso.size() - 6);
    lines.deviceTime = clock_text::deviceTime(clockText(nowSec, start.offsetMin, start.utcSec), offset);
    std::string switchOn;
    if (!clock.due.empty()) {
        const std::int64_t first = entryTiming(plan, clock.due.front()).switchOnSec;
        std::vector<std::size_t> together;
        for (std::size_t i : clock.due) {
            if (entryTiming(plan, i).switchOnSec == first) together.push_back(i);
        }
        switchOn = clock_text::switchOn(names(plan, together), countdownText(clock.secondsToSwitchOn));
    }
    switch (clock.phase) {
        case HuntClock::Phase::NoEvent:
            break;
        case HuntClock::Phase::Ended:
            lines.headline = clock_text::kEnded;
            break;
        case HuntClock::Phase::Before: {
            const std::string first = clock_text::firstCycle(names(plan, clock.next), countdownText(clock.secondsToNext));
            lines.headline = switchOn.empty() ? first : switchOn;
            if (!switchOn.empty()) lines.detail = first;
            break;
        }
        case HuntClock::Phase::Running:
            lines.headline = clock_text::cycle(clock.cycle, clock.onAir.empty()
                                                                ? std::string(clock_text::kNoneOnAir)
                                                                : clock_text::onAir(names(plan, clock.onAir)));
            if (!clock.next.empty()) {
                lines.detail = clock_text::next(names(plan, clock.next), countdownText(clock.secondsToNext));
            }
            lines.reminder = switchOn;
            break;
    }
    return lines;
}

std::string huntLogCsv(const HuntPlan& plan, const std::vector<ClockTap>& taps) {
    std::string csv = std::string(clock_text::kLogColumns) + "\n";
    if (!plan.event) return csv;
    const PlanEvent& event = *plan.event;
    const std::int32_t offset = event.start.offsetMin;
    for (const ClockTap& tap : taps) {
        if (tap.entry >= plan.entries.size()) continue;
        const BeaconTiming& t = entryTiming(plan, tap.entry);
        std::string what;
        const std::int64_t cycle = cycleAt(event, tap.atSec);
        switch (tap.kind) {
            case ClockTap::Kind::SwitchedOn: {
                if (!t.slot) continue;
                const std::int64_t off = tap.atSec - t.switchOnSec;
                const std::string howFar = off > 0   ? clock_text::late(off)
                                           : off < 0 ? clock_text::early(-off)
                                                     : std::string(clock_text::kOnTime);
                what = clock_text::switchedOn(howFar, clockText(t.switchOnSec, offset, event.start.utcSec));
                break;
            }
            case ClockTap::Kind::Heard:
                what = cycle == 0 ? clock_text::kHeardBeforeStart : clock_text::heard(cycle);
                break;
            case ClockTap::Kind::NotHeard:
                what = cycle == 0 ? clock_text::kNotHeardBeforeStart : clock_text::notHeard(cycle);
                break;
        }
        csv += csvLine({isoText(tap.atSec, offset), plan.entries[tap.entry].name, what});
    }
    return csv;
}

}  // namespace wb
