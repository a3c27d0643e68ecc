#include "plan/schedule_text.h"

#include <algorithm>
#include <array>
#include <vector>

#include <nlohmann/json.hpp>

#include "plan/beacon_identity.h"
#include "util/shown_text.h"

namespace wb {
namespace {

constexpr std::size_t kColumns = 8;

std::string valueOr(const std::optional<std::int32_t>& value, const char* unit) {
    return value ? std::to_string(*value) + " " + unit : "-";
}

template <typename T>
nlohmann::ordered_json jsonOrNull(const std::optional<T>& value) {
    return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

}  // namespace

std::vector<std::vector<std::string>> scheduleRows(const HuntPlan& plan) {
    if (!plan.event) return {};
    const std::int32_t offset = plan.event->start.offsetMin;
    const std::int64_t day = plan.event->start.utcSec;
    std::vector<std::vector<std::string>> rows{{"Beacon", "TX MHz", "Slot", "Switch on at", "First cycle at",
                                                "Initial Delay", "Total Runtime", "Loop Time"}};
    for (std::size_t i = 0; i < plan.entries.size(); ++i) {
        const PlanEntry& entry = plan.entries[i];
        const BeaconTiming& t = entryTiming(plan, i);
        std::vector<std::string> row{shownText(entry.name), frequencyText(storedTxKHz(entry.stored)), "continuous",
                                     "-", "-", "-", "-", "-"};
        if (t.slot) {
            row[2] = std::to_string(*t.slot);
            row[3] = clockText(t.switchOnSec, offset, day);
            row[4] = clockText(t.firstCycleSec, offset, day);
            row[5] = valueOr(t.initialDelayMin, "min");
            row[6] = valueOr(t.totalRuntimeMin, "min");
            row[7] = valueOr(t.loopTimeSec, "s");
        }
        rows.push_back(row);
    }
    return rows;
}

std::string scheduleTable(const HuntPlan& plan) {
    const std::vector<std::vector<std::string>> rows = scheduleRows(plan);
    if (rows.empty()) return {};
    std::array<std::size_t, kColumns> widths{};
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < kColumns; ++c) widths[c] = std::max(widths[c], row[c].size());
    }
    std::string table;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t c = 0; c < kColumns; ++c) {
            line += row[c];
            if (c + 1 < kColumns) line += std::string(widths[c] - row[c].size() + 2, ' ');
        }
        line.erase(line.find_last_not_of(' ') + 1);
        table += line + "\n";
    }
    return table;
}

nlohmann::ordered_json scheduleJson(const HuntPlan& plan) {
    nlohmann::ordered_json beacons = nlohmann::ordered_json::array();
    const std::int32_t offset = plan.event ? plan.event->start.offsetMin : 0;
    for (std::size_t i = 0; i < plan.entries.size(); ++i) {
        const PlanEntry& entry = plan.entries[i];
        const BeaconTiming& t = entryTiming(plan, i);
        nlohmann::ordered_json item;
        item["name"] = entry.name;
        item["slot"] = jsonOrNull(t.slot);
        item["txFrequencyMHz"] = static_cast<double>(storedTxKHz(entry.stored)) / 1000.0;
        item["switchOn"] = t.slot ? nlohmann::ordered_json(isoText(t.switchOnSec, offset)) : nullptr;
        item["firstCycle"] = t.slot ? nlohmann::ordered_json(isoText(t.firstCycleSec, offset)) : nullptr;
        item["initialDelayMin"] = jsonOrNull(t.initialDelayMin);
        item["totalRuntimeMin"] = jsonOrNull(t.totalRuntimeMin);
        item["loopTimeSec"] = jsonOrNull(t.loopTimeSec);
        beacons.push_back(std::move(item));
    }
    nlohmann::ordered_json doc;
    doc["beacons"] = std::move(beacons);
    return doc;
}

}  // namespace wb
