#include "wasm/page_clock.h"

#include <optional>
#include <vector>

#include <nlohmann/json.hpp>

#include "plan/event_time.h"
#include "plan/hunt_clock.h"
#include "plan/schedule_text.h"
#include "wasm/page_json.h"

namespace wb {
namespace {

// The last second a log shows (9999-12-31T23:59:59Z): the page's storage
// may hold anything.
constexpr std::uint64_t kLastTapSec = 253402300799;

const char* phaseName(HuntClock::Phase phase) {
    switch (phase) {
        case HuntClock::Phase::Before: return "before";
        case HuntClock::Phase::Running: return "running";
        case HuntClock::Phase::Ended: return "ended";
        case HuntClock::Phase::NoEvent: break;
    }
    return "none";
}

std::optional<ClockTap::Kind> tapKind(const nlohmann::json& value) {
    if (!value.is_string()) return std::nullopt;
    const std::string& kind = value.get_ref<const std::string&>();
    if (kind == "on") return ClockTap::Kind::SwitchedOn;
    if (kind == "heard") return ClockTap::Kind::Heard;
    if (kind == "not heard") return ClockTap::Kind::NotHeard;
    return std::nullopt;
}

}  // namespace

std::string pageScheduleJson(const HuntPlan* plan) {
    nlohmann::ordered_json doc;
    doc["columns"] = nlohmann::ordered_json::array();
    doc["rows"] = nlohmann::ordered_json::array();
    if (plan == nullptr) return doc.dump();
    std::vector<std::vector<std::string>> rows = scheduleRows(*plan);
    if (!rows.empty()) {
        doc["columns"] = rows.front();
        for (std::size_t i = 1; i < rows.size(); ++i) doc["rows"].push_back(rows[i]);
    }
    return asciiJson(doc);
}

std::string pageClockJson(const HuntPlan* plan, const std::string& planSha256, std::int64_t nowSec) {
    nlohmann::ordered_json doc;
    doc["key"] = "wrenbolt-clock-" + planSha256;
    if (plan == nullptr || !plan->event) {
        doc["phase"] = phaseName(HuntClock::Phase::NoEvent);
        return doc.dump();
    }
    const HuntClock clock = huntClock(*plan, nowSec);
    const HuntClockLines lines = huntClockLines(*plan, clock, nowSec);
    doc["phase"] = phaseName(clock.phase);
    doc["headline"] = lines.headline;
    doc["detail"] = lines.detail;
    doc["reminder"] = lines.reminder;
    doc["deviceTime"] = lines.deviceTime;
    doc["cycle"] = clock.cycle;
    doc["due"] = clock.due;
    doc["onAir"] = clock.onAir;
    nlohmann::ordered_json beacons = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < plan->entries.size(); ++i) {
        const BeaconTiming& t = entryTiming(*plan, i);
        if (!t.slot) continue;
        beacons.push_back({{"entry", i},
                           {"name", plan->entries[i].name},
                           {"slot", *t.slot},
                           {"switchOn", clockText(t.switchOnSec, plan->event->start.offsetMin,
                                                  plan->event->start.utcSec)}});
    }
    doc["beacons"] = std::move(beacons);
    return asciiJson(doc);
}

std::string pageClockLog(const HuntPlan* plan, std::string_view tapsJson) {
    if (plan == nullptr) return {};
    std::vector<ClockTap> taps;
    const nlohmann::json doc = nlohmann::json::parse(tapsJson, nullptr, false);
    if (doc.is_array()) {
        for (const nlohmann::json& item : doc) {
            if (!item.is_array() || item.size() != 3 || !item[0].is_number_unsigned() ||
                item[0].get<std::uint64_t>() > kLastTapSec || !item[1].is_number_unsigned()) {
                continue;
            }
            const auto kind = tapKind(item[2]);
            if (!kind) continue;
            taps.push_back({item[0].get<std::int64_t>(), item[1].get<std::size_t>(), *kind});
        }
    }
    return huntLogCsv(*plan, taps);
}

}  // namespace wb
