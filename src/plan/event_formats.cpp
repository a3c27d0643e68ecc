#include "plan/event_formats.h"

#include <nlohmann/json.hpp>

#include "image/model_table.h"
#include "plan/event_schedule.h"

namespace wb {
namespace {

using PlanJson = nlohmann::ordered_json;

constexpr const char* kFoxes[] = {"MOE", "MOI", "MOS", "MOH", "MO5"};
// 50 and 70 PARIS.
constexpr int kSlowWpm = 10;
constexpr int kFastWpm = 14;
// Room for the identification after the tones in a Sprint's 12 s slot.
constexpr int kSprintTonesSec = 6;

PlanJson beacon(const std::string& name, const std::string& text, std::optional<int> slot, double mhz,
            std::optional<int> wpm = std::nullopt, std::optional<int> tonesSec = std::nullopt) {
    PlanJson item;
    item["name"] = name;
    if (slot) item["slot"] = *slot;
    PlanJson set;
    set["morseText"] = text;
    set["txFrequencyMHz"] = mhz;
    if (wpm) set["morseSpeedWpm"] = *wpm;
    if (tonesSec) set["tonesDurationSec"] = *tonesSec;
    item["set"] = std::move(set);
    return item;
}

}  // namespace

std::optional<std::string> newEventPlanText(const NewEventPlan& request, std::string& text,
                                            const std::string (&timeNames)[3]) {
    const bool sprint = request.format == EventFormat::Sprint;
    PlanJson event;
    const std::optional<std::string> times[3] = {request.start, request.end, request.switchOnFrom};
    const char* keys[3] = {"start", "end", "switchOnFrom"};
    for (std::size_t i = 0; i < 3; ++i) {
        if (!times[i]) continue;
        EventTime time;
        if (auto error = parseEventTime(*times[i], time)) return timeNames[i] + ": " + *error;
        event[keys[i]] = *times[i];
    }
    event["cycleSec"] = sprint ? 60 : 300;
    event["slotSec"] = sprint ? 12 : 60;
    PlanEvent parsed;
    if (auto error = parseEvent(nlohmann::json::parse(event.dump()), parsed)) return error;

    PlanJson plan;
    const DeviceModel model = request.model == DeviceModel::None ? kTarselModel : request.model;
    plan["model"] = std::string(modelName(model));
    plan["event"] = std::move(event);
    PlanJson beacons = PlanJson::array();
    for (int slot = 0; slot < 5; ++slot) {
        if (sprint) {
            beacons.push_back(beacon(kFoxes[slot], kFoxes[slot], slot, request.foxMHz, kSlowWpm, kSprintTonesSec));
        } else {
            beacons.push_back(beacon(kFoxes[slot], kFoxes[slot], slot, request.foxMHz));
        }
    }
    if (sprint) {
        for (int slot = 0; slot < 5; ++slot) {
            beacons.push_back(beacon(std::string(kFoxes[slot]) + " fast", kFoxes[slot], slot, request.fastMHz,
                                     kFastWpm, kSprintTonesSec));
        }
        beacons.push_back(beacon("S", "S", std::nullopt, request.spectatorMHz, kFastWpm));
        beacons.push_back(beacon("MO", "MO", std::nullopt, request.beaconMHz, kSlowWpm));
    } else {
        beacons.push_back(beacon("MO", "MO", std::nullopt, request.beaconMHz));
    }
    plan["beacons"] = std::move(beacons);
    text = plan.dump(2) + "\n";
    return std::nullopt;
}

}  // namespace wb
