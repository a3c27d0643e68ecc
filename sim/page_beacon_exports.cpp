// The simulated beacon of the browser page: a module instance of its own
// plays the far end of a port. Linked into the WebAssembly module beside
// the core's interface (src/web/module_exports.cpp), whose input and result
// buffers it shares.

#include <cstdint>
#include <optional>
#include <string>

#include "sim/simulated_beacon.h"
#include "web/module_interface.h"

namespace {

using namespace wb;
using module::give;
using module::inputText;
using module::modelFromCode;

std::optional<SimulatedBeacon> beacon;

}  // namespace

// Creates the beacon. Fault names as the simulator spells them; false when
// the name is unknown.
WB_EXPORT(wb_sim_create) std::int32_t wbSimCreate(std::int32_t model, std::uint32_t faultLength) {
    const auto fault = parseBeaconFault(inputText(faultLength));
    if (!fault) return 0;
    BeaconOptions options;
    options.model = modelFromCode(model) == DeviceModel::Tarsel ? DeviceModel::Tarsel : DeviceModel::Basic;
    options.fault = *fault;
    beacon.emplace(options);
    return 1;
}
WB_EXPORT(wb_sim_receive) void wbSimReceive(std::int32_t byte, double atUs) {
    if (beacon) beacon->receive(static_cast<std::uint8_t>(byte), static_cast<std::int64_t>(atUs));
}
// When the next reply byte is complete at the host; -1 when none is queued.
WB_EXPORT(wb_sim_next_due) double wbSimNextDue() {
    if (!beacon) return -1;
    const auto due = beacon->nextByteTimeUs();
    return due ? static_cast<double>(*due) : -1.0;
}
WB_EXPORT(wb_sim_take) std::int32_t wbSimTake() { return beacon ? beacon->takeByte() : 0; }
WB_EXPORT(wb_sim_discard_until) void wbSimDiscardUntil(double atUs) {
    if (beacon) beacon->discardUntil(static_cast<std::int64_t>(atUs));
}
WB_EXPORT(wb_sim_eeprom) std::uint32_t wbSimEeprom() {
    if (!beacon) return give(std::string());
    return give(std::string(beacon->eeprom().begin(), beacon->eeprom().end()));
}
WB_EXPORT(wb_sim_lost_bytes) std::int32_t wbSimLostBytes() { return beacon ? beacon->lostBytes() : 0; }
// How long one byte takes on the line at 2400 baud.
WB_EXPORT(wb_sim_byte_time_us) double wbSimByteTimeUs() { return static_cast<double>(kByteTimeUs); }
