#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "config/device_config.h"
#include "plan/event_time.h"

namespace wb {

struct HuntPlan;
struct PlanSource;

// A plan's "event": slot k of the first cycle begins at start + k x slotSec
// and comes round every cycleSec; switchOnFrom is the earliest moment the
// beacons will be switched on, end when they may stop.
struct PlanEvent {
    EventTime start;
    std::optional<EventTime> end;
    std::optional<EventTime> switchOnFrom;
    std::int32_t cycleSec = 0;
    std::int32_t slotSec = 0;
};

// The record members an event sets for a beacon with a slot: a plan that
// sets one of them too for such a beacon is refused.
inline constexpr std::string_view kEventKeys[] = {"loopTimeSec", "initialDelayMin", "autoStart",
                                                   "totalRuntimeMin"};

// When one beacon is switched on and keys first, and the values that make
// it do so. A beacon without a slot sends all the time: nothing is set.
struct BeaconTiming {
    std::optional<std::int32_t> slot;
    std::int64_t firstCycleSec = 0;  // UTC seconds
    std::int64_t switchOnSec = 0;
    std::optional<std::int32_t> loopTimeSec;
    std::optional<std::int32_t> initialDelayMin;  // models that store it
    std::optional<std::int32_t> totalRuntimeMin;  // those, with an end
    std::optional<std::uint8_t> autoStart;
};

// Reads the plan's "event" object. Refuses, naming the key: an unknown
// key, a time that is not a date-time with its offset, cycleSec outside
// 1..15359, slotSec below 1, an end not after the start, switchOnFrom
// after the start.
std::optional<std::string> parseEvent(const nlohmann::json& value, PlanEvent& event);

// The timing of the beacon in `slot`, for a model: Loop Time is the cycle;
// where the model stores them, Auto Start is on, the Initial Delay is the
// whole minutes from switchOnFrom to the first cycle (so the beacon is
// switched on in the minute after switchOnFrom) and the Total Runtime the
// minutes from switch-on to the end, rounded up. Refuses, naming the key,
// a slot that ends past the cycle and a value the layout cannot store.
std::optional<std::string> slotTiming(const PlanEvent& event, std::int32_t slot, DeviceModel model,
                                      BeaconTiming& timing);

// Gives every entry of a plan with an event its timing, and writes the
// values into the records of those with a slot. Refuses, naming the key
// and the beacon, an event key that the base file (where it differs from
// the factory value), base or the beacon's set gives a slotted beacon.
// `fromBaseFile` is the record the base file alone gives, if there is one.
std::optional<std::string> timeEntries(const PlanSource& source, const DeviceConfig* fromBaseFile,
                                       HuntPlan& plan);

// Once every entry is stored: refuses two slotted beacons keying on one
// stored TX frequency in the same slot, and keeps in plan.warnings a
// slotted beacon that may still send when its slot is over and two
// frequencies of the plan close enough for a receiver to hear both.
std::optional<std::string> checkEventEntries(HuntPlan& plan);

}  // namespace wb
