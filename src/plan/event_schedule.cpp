#include "plan/event_schedule.h"

#include <nlohmann/json.hpp>

#include "image/model_table.h"
#include "plan/beacon_identity.h"
#include "plan/hunt_plan.h"
#include "plan/plan_parse.h"

namespace wb {
namespace {

// The largest value a Tarsel time pair holds (255 x 60 + 59).
constexpr std::int64_t kLongestStoredTime = 15359;
// Receivers tell apart beacons at least this far apart.
constexpr std::int64_t kReceiverSpacingKHz = 20;

std::string quoted(const std::string& name) { return "\"" + name + "\""; }

std::optional<std::string> readTime(const nlohmann::json& value, const std::string& key, EventTime& time) {
    if (!value.is_string()) return "event: " + key + ": expected a date-time string with its UTC offset";
    if (auto error = parseEventTime(value.get<std::string>(), time)) return "event: " + key + ": " + *error;
    return std::nullopt;
}

std::optional<std::string> readSeconds(const nlohmann::json& value, const std::string& key, std::int64_t lowest,
                                       std::int64_t highest, std::int32_t& seconds) {
    const std::string expected = "expected whole seconds, " +
                                 (highest > 0 ? std::to_string(lowest) + " to " + std::to_string(highest)
                                              : "at least " + std::to_string(lowest));
    if (!value.is_number_integer()) return "event: " + key + ": " + expected;
    const bool huge = value.is_number_unsigned() && value.get<std::uint64_t>() > 0x7fffffffu;
    const std::int64_t v = huge ? 0 : value.get<std::int64_t>();
    if (huge || v < lowest || (highest > 0 && v > highest) || v > 0x7fffffff) {
        return "event: " + key + ": " + value.dump() + ": " + expected;
    }
    seconds = static_cast<std::int32_t>(v);
    return std::nullopt;
}

// base or a set as the parser kept it: an object's JSON text, or nothing.
nlohmann::json membersOf(const std::string& text) {
    if (text.empty()) return nlohmann::json::object();
    nlohmann::json members = nlohmann::json::parse(text, nullptr, false);
    return members.is_object() ? members : nlohmann::json::object();
}

std::int64_t eventValue(const DeviceConfig& record, std::string_view key) {
    if (key == "loopTimeSec") return record.loopTimeSec;
    if (key == "initialDelayMin") return record.initialDelayMin;
    if (key == "totalRuntimeMin") return record.totalRuntimeMin;
    return record.autoStart;
}

std::int64_t ceilMinutes(std::int64_t seconds) { return (seconds + 59) / 60; }

}  // namespace

std::optional<std::string> parseEvent(const nlohmann::json& value, PlanEvent& event) {
    event = PlanEvent{};
    if (!value.is_object()) return std::string("event: expected an object with \"start\", \"cycleSec\" and \"slotSec\"");
    for (const auto& [key, item] : value.items()) {
        std::optional<std::string> error;
        if (key == "start") {
            error = readTime(item, key, event.start);
        } else if (key == "end") {
            error = readTime(item, key, event.end.emplace());
        } else if (key == "switchOnFrom") {
            error = readTime(item, key, event.switchOnFrom.emplace());
        } else if (key == "cycleSec") {
            error = readSeconds(item, key, 1, kLongestStoredTime, event.cycleSec);
        } else if (key == "slotSec") {
            error = readSeconds(item, key, 1, 0, event.slotSec);
        } else {
            error = "event: " + key +
                    ": unknown key (expected \"start\", \"end\", \"cycleSec\", \"slotSec\" and \"switchOnFrom\")";
        }
        if (error) return error;
    }
    for (const char* key : {"start", "cycleSec", "slotSec"}) {
        if (!value.contains(key)) return "event: " + std::string(key) + ": required";
    }
    const std::int32_t offset = event.start.offsetMin;
    if (event.end && event.end->utcSec <= event.start.utcSec) {
        return "event: end: " + isoText(event.end->utcSec, offset) + " is not after the start, " +
               isoText(event.start.utcSec, offset);
    }
    if (event.switchOnFrom && event.switchOnFrom->utcSec > event.start.utcSec) {
        return "event: switchOnFrom: " + isoText(event.switchOnFrom->utcSec, offset) + " is after the start, " +
               isoText(event.start.utcSec, offset);
    }
    return std::nullopt;
}

std::optional<std::string> slotTiming(const PlanEvent& event, std::int32_t slot, DeviceModel model,
                                      BeaconTiming& timing) {
    timing = BeaconTiming{};
    timing.slot = slot;
    const std::int64_t slotEnd = (std::int64_t{slot} + 1) * event.slotSec;
    if (slotEnd > event.cycleSec) {
        return "slot: " + std::to_string(slot) + " ends " + std::to_string(slotEnd) + " s into the cycle, past its " +
               std::to_string(event.cycleSec) + " s";
    }
    timing.firstCycleSec = event.start.utcSec + std::int64_t{slot} * event.slotSec;
    timing.switchOnSec = timing.firstCycleSec;
    timing.loopTimeSec = event.cycleSec;
    // Whatever the model stores: a beacon switched on after the end is never heard.
    if (event.end && event.end->utcSec <= timing.firstCycleSec) {
        return "slot: its first cycle, " + isoText(timing.firstCycleSec, event.start.offsetMin) +
               ", is not before the end";
    }
    if (!modelStores(model, "initialDelayMin")) return std::nullopt;

    const std::string layout = "the " + std::string(modelTitle(model)) + " layout stores at most " +
                               std::to_string(kLongestStoredTime);
    timing.autoStart = 1;
    std::int64_t delay = 0;
    if (event.switchOnFrom) delay = (timing.firstCycleSec - event.switchOnFrom->utcSec) / 60;
    if (delay > kLongestStoredTime) {
        return "initialDelayMin: " + std::to_string(delay) + " minutes from switchOnFrom to the first cycle; " +
               layout + " (switched on too early)";
    }
    timing.initialDelayMin = static_cast<std::int32_t>(delay);
    timing.switchOnSec = timing.firstCycleSec - delay * 60;
    if (modelStores(model, "totalRuntimeMin") && event.end) {
        const std::int64_t runtime = ceilMinutes(event.end->utcSec - timing.switchOnSec);
        if (runtime > kLongestStoredTime) {
            return "totalRuntimeMin: " + std::to_string(runtime) + " minutes from switch-on to the end; " + layout;
        }
        timing.totalRuntimeMin = static_cast<std::int32_t>(runtime);
    }
    return std::nullopt;
}

std::optional<std::string> timeEntries(const PlanSource& source, const DeviceConfig* fromBaseFile,
                                       HuntPlan& plan) {
    plan.event = source.event;
    plan.timings.assign(plan.entries.size(), BeaconTiming{});
    if (!source.event) return std::nullopt;
    const PlanEvent& event = *source.event;
    const nlohmann::json base = membersOf(source.base);
    for (std::size_t i = 0; i < source.beacons.size(); ++i) {
        const PlanSource::Beacon& beacon = source.beacons[i];
        PlanEntry& entry = plan.entries.at(i);
        BeaconTiming& timing = plan.timings.at(i);
        if (!beacon.slot) continue;
        const std::string who = "beacon " + quoted(beacon.name);
        const nlohmann::json set = membersOf(beacon.set);
        for (const std::string_view key : kEventKeys) {
            const std::string name(key);
            if (set.contains(name)) return who + ": set: " + name + ": the event sets it for a beacon with a slot";
            if (base.contains(name)) return "base: " + name + ": the event sets it for " + who + ", which has a slot";
            const std::int64_t factory = eventValue(DeviceConfig{}, key);
            if (fromBaseFile != nullptr && modelStores(plan.model, key) && eventValue(*fromBaseFile, key) != factory) {
                return "baseFile: " + name + ": the file holds " + std::to_string(eventValue(*fromBaseFile, key)) +
                       " (not the factory " + std::to_string(factory) + "), which the event sets for " + who +
                       ", which has a slot";
            }
        }
        if (auto error = slotTiming(event, *beacon.slot, plan.model, timing)) return who + ": " + *error;
        if (timing.loopTimeSec) entry.record.loopTimeSec = *timing.loopTimeSec;
        if (timing.initialDelayMin) entry.record.initialDelayMin = *timing.initialDelayMin;
        if (timing.totalRuntimeMin) entry.record.totalRuntimeMin = *timing.totalRuntimeMin;
        if (timing.autoStart) entry.record.autoStart = *timing.autoStart;
    }
    return std::nullopt;
}

std::optional<std::string> checkEventEntries(HuntPlan& plan) {
    const auto& entries = plan.entries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        for (std::size_t j = i + 1; j < entries.size(); ++j) {
            const PlanEntry& a = entries[i];
            const PlanEntry& b = entries[j];
            const std::int64_t fa = storedTxKHz(a.stored);
            const std::int64_t fb = storedTxKHz(b.stored);
            const auto& slot = entryTiming(plan, i).slot;
            if (slot && slot == entryTiming(plan, j).slot && fa == fb) {
                return a.name + " and " + b.name + " would be on air together on " + frequencyText(fa) + " MHz";
            }
        }
    }
    plan.warnings.clear();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const PlanEntry& entry = entries[i];
        if (!entryTiming(plan, i).slot || !plan.event) continue;
        const std::int64_t busy = std::int64_t{entry.stored.preTonesDelaySec} + entry.stored.tonesDurationSec;
        if (busy > plan.event->slotSec) {
            plan.warnings.push_back("beacon " + quoted(entry.name) + ": Pre Tones Delay plus Tones Duration, " +
                                    std::to_string(busy) + " s, is longer than its " +
                                    std::to_string(plan.event->slotSec) +
                                    " s slot: it may still be sending when the next slot begins");
        }
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        for (std::size_t j = i + 1; j < entries.size(); ++j) {
            const std::int64_t fa = storedTxKHz(entries[i].stored);
            const std::int64_t fb = storedTxKHz(entries[j].stored);
            const std::int64_t apart = fa > fb ? fa - fb : fb - fa;
            if (apart == 0 || apart >= kReceiverSpacingKHz) continue;
            plan.warnings.push_back("beacons " + quoted(entries[i].name) + " (" + frequencyText(fa) + " MHz) and " +
                                    quoted(entries[j].name) + " (" + frequencyText(fb) + " MHz) are " +
                                    std::to_string(apart) + " kHz apart: receivers hear both");
        }
    }
    return std::nullopt;
}

}  // namespace wb
