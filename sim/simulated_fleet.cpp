#include "sim/simulated_fleet.h"

#include <utility>

#include "image/model_table.h"

namespace wb {

std::optional<std::vector<FleetEntry>> parseFleetList(std::string_view list) {
    std::vector<FleetEntry> entries;
    while (true) {
        const std::size_t comma = list.find(',');
        std::string_view item = list.substr(0, comma);
        FleetEntry entry;
        const std::size_t slash = item.find('/');
        const std::string_view model = item.substr(0, slash);
        const auto named = identifiedModelFromName(model);
        if (!named) return std::nullopt;
        entry.model = *named;
        if (slash != std::string_view::npos) {
            const auto fault = parseBeaconFault(item.substr(slash + 1));
            if (!fault) return std::nullopt;
            entry.fault = *fault;
        }
        entries.push_back(entry);
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    return entries;
}

std::vector<BeaconOptions> fleetBeacons(const std::vector<FleetEntry>& list,
                                        const BeaconOptions& common) {
    std::vector<BeaconOptions> beacons;
    for (const FleetEntry& entry : list) {
        BeaconOptions beacon = common;
        beacon.model = entry.model;
        if (entry.fault != BeaconFault::None) beacon.fault = entry.fault;
        beacons.push_back(std::move(beacon));
    }
    return beacons;
}

SimulatedFleet::SimulatedFleet(FleetOptions options) : options_(std::move(options)) {
    if (options_.beacons.empty()) options_.beacons.emplace_back();
    connectNext(0);
}

void SimulatedFleet::connectNext(std::int64_t atUs) {
    beacons_.push_back(std::make_unique<SimulatedBeacon>(options_.beacons[beacons_.size()]));
    connected_ = true;
    seenRequests_ = 0;
    writeDone_ = false;
    writeAsked_ = false;
    removeAtUs_.reset();
    unwrittenSinceUs_.reset();
    connectAtUs_.reset();
    events_.push_back({atUs, beacons_.size() - 1, true});
}

void SimulatedFleet::advance(std::int64_t nowUs) {
    // Reply bytes still owed from before the removal go out first (a server
    // that woke late takes them after their times).
    if (options_.swapAfterWrite && connected_ && !removeAtUs_ && unwrittenSinceUs_ &&
        nowUs >= *unwrittenSinceUs_ + options_.unwrittenStayUs) {
        removeAtUs_ = *unwrittenSinceUs_ + options_.unwrittenStayUs;
    }
    const auto owed = connected_ ? beacons_.back()->nextByteTimeUs() : std::nullopt;
    const bool replyOwed = owed && removeAtUs_ && *owed <= *removeAtUs_;
    if (connected_ && removeAtUs_ && nowUs >= *removeAtUs_ && !replyOwed) {
        connected_ = false;
        events_.push_back({*removeAtUs_, beacons_.size() - 1, false});
        if (beacons_.size() < options_.beacons.size()) {
            connectAtUs_ = *removeAtUs_ + options_.swapUs;
        }
        removeAtUs_.reset();
    }
    if (!connected_ && connectAtUs_ && nowUs >= *connectAtUs_) connectNext(*connectAtUs_);
}

// A beacon is done once it has stored a whole image and sent it back (the
// host's verification), or once its cable has gone.
void SimulatedFleet::watchRequests() {
    if (!options_.swapAfterWrite || !connected_ || removeAtUs_) return;
    SimulatedBeacon& beacon = *beacons_.back();
    const auto& requests = beacon.requests();
    for (; seenRequests_ < requests.size(); ++seenRequests_) {
        const BeaconRequest& r = requests[seenRequests_];
        if (r.kind == BeaconRequestKind::WriteDone) writeDone_ = true;
        if (r.kind == BeaconRequestKind::WriteImage) {
            unwrittenSinceUs_.reset();
            writeAsked_ = true;
        }
        if (r.kind == BeaconRequestKind::ReadImage && r.answered && writeDone_) {
            removeAtUs_ = beacon.replyEndUs() + options_.lingerUs;
        } else if (r.kind == BeaconRequestKind::ReadImage && r.answered) {
            unwrittenSinceUs_ = beacon.replyEndUs();
        } else if (r.kind == BeaconRequestKind::Version && r.answered && !unwrittenSinceUs_ && !writeAsked_) {
            // Given up before its read (the port lost under it), it is
            // taken away all the same; one whose write was cut stays.
            unwrittenSinceUs_ = beacon.replyEndUs();
        }
    }
}

void SimulatedFleet::receive(std::uint8_t byte, std::int64_t atUs) {
    advance(atUs);
    if (!connected_) return;
    SimulatedBeacon& beacon = *beacons_.back();
    beacon.receive(byte, atUs);
    if (options_.swapAfterWrite && beacon.lineDropped() && !removeAtUs_) removeAtUs_ = atUs;
    watchRequests();
}

std::optional<std::int64_t> SimulatedFleet::nextByteTimeUs() const {
    if (!connected_) return std::nullopt;
    const auto next = beacons_.back()->nextByteTimeUs();
    if (next && removeAtUs_ && *next > *removeAtUs_) return std::nullopt;
    return next;
}

std::uint8_t SimulatedFleet::takeByte() {
    if (!connected_) return 0;
    SimulatedBeacon& beacon = *beacons_.back();
    const auto due = beacon.nextByteTimeUs();
    const std::uint8_t byte = beacon.takeByte();
    if (options_.swapAfterWrite && beacon.lineDropped() && !removeAtUs_ && due) {
        removeAtUs_ = *due;
    }
    return byte;
}

void SimulatedFleet::discardUntil(std::int64_t atUs) {
    if (connected_) beacons_.back()->discardUntil(atUs);
    advance(atUs);
}

bool SimulatedFleet::lineDropped() const {
    if (options_.swapAfterWrite) return false;
    return beacons_.back()->lineDropped();
}

}  // namespace wb
