// The simulated beacon of the browser page: a module instance of its own
// plays the far end of a port. Linked into the WebAssembly module beside
// the core's interface, whose input and result buffers
// (src/wasm/module_buffers.cpp) it shares.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "sim/simulated_beacon.h"
#include "sim/simulated_fleet.h"
#include "wasm/module_interface.h"

namespace {

using namespace wb;
using module::give;
using module::inputText;

// One beacon that stays on the cable, or a fleet that a person connects
// and removes one after another (a hunt plan's run).
std::unique_ptr<BeaconPeer> peer;
SimulatedBeacon* single = nullptr;
SimulatedFleet* fleet = nullptr;

// The beacon whose EEPROM the page looks at: the one on the cable, or the
// fleet's last.
const SimulatedBeacon* current() {
    if (single != nullptr) return single;
    if (fleet != nullptr) return fleet->beacons().back().get();
    return nullptr;
}

}  // namespace

// Creates the beacon. Fault names as the simulator spells them; false when
// the name is unknown.
WB_EXPORT(wb_sim_create) std::int32_t wbSimCreate(std::int32_t model, std::uint32_t faultLength) {
    const auto fault = parseBeaconFault(inputText(faultLength));
    if (!fault) return 0;
    BeaconOptions options;
    // Any number the table does not know gets the first model, as before.
    const DeviceModel chosen = modelFromCode(model);
    options.model = chosen == DeviceModel::None ? kModels.front().code : chosen;
    options.fault = *fault;
    auto beacon = std::make_unique<SimulatedBeacon>(options);
    single = beacon.get();
    fleet = nullptr;
    peer = std::move(beacon);
    return 1;
}
// A fleet, as `--fleet-models` lists it ("basic,basic/line-drop"): after
// each verified write the beacon is removed and, after the time a person
// takes to swap them, the next connected. The input holds the list, then
// (imagesLength bytes) the images the first beacons start with, one after
// another: the same beacons brought back to be checked. False when the
// list is wrong.
WB_EXPORT(wb_sim_create_fleet) std::int32_t wbSimCreateFleet(std::uint32_t listLength, std::uint32_t imagesLength) {
    const std::string_view input = inputText(listLength + imagesLength);
    const auto list = parseFleetList(input.substr(0, std::min<std::size_t>(listLength, input.size())));
    if (!list) return 0;
    FleetOptions options;
    options.beacons = fleetBeacons(*list);
    options.swapAfterWrite = true;
    std::string_view images = input.size() > listLength ? input.substr(listLength) : std::string_view();
    for (BeaconOptions& beacon : options.beacons) {
        if (images.size() < kImageSize) break;
        ConfigImage image{};
        std::copy_n(images.begin(), kImageSize, image.begin());
        beacon.eeprom = image;
        images.remove_prefix(kImageSize);
    }
    auto made = std::make_unique<SimulatedFleet>(std::move(options));
    fleet = made.get();
    single = nullptr;
    peer = std::move(made);
    return 1;
}
// How many images were written to the fleet's beacons (write requests
// seen, complete or not).
WB_EXPORT(wb_sim_fleet_writes) std::uint32_t wbSimFleetWrites() {
    std::uint32_t writes = 0;
    if (fleet == nullptr) return writes;
    for (const auto& beacon : fleet->beacons()) {
        for (const BeaconRequest& request : beacon->requests()) {
            if (request.kind == BeaconRequestKind::WriteImage) ++writes;
        }
    }
    return writes;
}
// The images the fleet's beacons connected so far hold, one after another.
WB_EXPORT(wb_sim_fleet_eeproms) std::uint32_t wbSimFleetEeproms() {
    std::string images;
    if (fleet != nullptr) {
        for (const auto& beacon : fleet->beacons()) images.append(beacon->eeprom().begin(), beacon->eeprom().end());
    }
    return give(images);
}
WB_EXPORT(wb_sim_receive) void wbSimReceive(std::int32_t byte, double atUs) {
    if (peer) peer->receive(static_cast<std::uint8_t>(byte), static_cast<std::int64_t>(atUs));
}
// When the next reply byte is complete at the host; -1 when none is queued.
WB_EXPORT(wb_sim_next_due) double wbSimNextDue() {
    if (!peer) return -1;
    const auto due = peer->nextByteTimeUs();
    return due ? static_cast<double>(*due) : -1.0;
}
WB_EXPORT(wb_sim_take) std::int32_t wbSimTake() { return peer ? peer->takeByte() : 0; }
WB_EXPORT(wb_sim_discard_until) void wbSimDiscardUntil(double atUs) {
    // The page drops what is still on its way to a closed port with a time
    // far ahead; a fleet's clock must not jump there (its beacons would be
    // swapped unseen), so only the beacon on the cable drops its bytes.
    if (fleet != nullptr) {
        if (SimulatedBeacon* beacon = fleet->connected()) beacon->discardUntil(static_cast<std::int64_t>(atUs));
    } else if (peer) {
        peer->discardUntil(static_cast<std::int64_t>(atUs));
    }
}
WB_EXPORT(wb_sim_eeprom) std::uint32_t wbSimEeprom() {
    const SimulatedBeacon* beacon = current();
    if (beacon == nullptr) return give(std::string());
    return give(std::string(beacon->eeprom().begin(), beacon->eeprom().end()));
}
WB_EXPORT(wb_sim_lost_bytes) std::int32_t wbSimLostBytes() {
    if (fleet != nullptr) {
        std::int32_t lost = 0;
        for (const auto& beacon : fleet->beacons()) lost += beacon->lostBytes();
        return lost;
    }
    return single != nullptr ? single->lostBytes() : 0;
}
// How long one byte takes on the line at 2400 baud.
WB_EXPORT(wb_sim_byte_time_us) double wbSimByteTimeUs() { return static_cast<double>(kByteTimeUs); }
