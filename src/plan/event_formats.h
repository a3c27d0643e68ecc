#pragma once

#include <optional>
#include <string>

#include "config/device_model.h"

namespace wb {

// The hunt formats a new plan can be laid out as: a classic 2-metre event
// (five foxes in one-minute slots of a five-minute cycle on one frequency,
// the finish beacon on another) or a Sprint (slow and fast foxes in 12 s
// slots of a minute on two frequencies, spectator and finish beacons on
// two more).
enum class EventFormat { Classic, Sprint };

struct NewEventPlan {
    EventFormat format = EventFormat::Classic;
    DeviceModel model = DeviceModel::None;  // None: the Tarsel
    std::string start;
    std::optional<std::string> end;
    std::optional<std::string> switchOnFrom;
    // Inside the 2-metre ARDF segment (144.500 to 144.900), 100 kHz or more apart.
    double foxMHz = 144.500;
    double fastMHz = 144.600;
    double spectatorMHz = 144.700;
    double beaconMHz = 144.900;
};

// The plan's JSON text for the user to edit, or why not: a time that is no
// date-time with its offset, named by `timeNames` ("--start", ...), or
// times the event refuses.
std::optional<std::string> newEventPlanText(const NewEventPlan& request, std::string& text,
                                            const std::string (&timeNames)[3]);

}  // namespace wb
