// The simulated beacons' names as the page offers them, exported from the
// simulator's side: the core's module states nothing of the simulator.

#include <cstdint>
#include <string>

#include "sim/page_sim_names.h"
#include "wasm/module_interface.h"
#include "wasm/page_json.h"

// {"prefix":"sim:","fleet":"fleet=","fleets":[..]}.
WB_EXPORT(wb_sim_names) std::uint32_t wbSimNames() {
    const nlohmann::ordered_json names = {
        {"prefix", std::string(wb::kSimPrefix)},
        {"fleet", std::string(wb::kSimFleet)},
        {"fleets", wb::pageSimFleets()},
    };
    return wb::module::give(wb::asciiJson(names));
}
// The port choice for the page address's ?sim= value; empty for none.
WB_EXPORT(wb_sim_choice) std::uint32_t wbSimChoice(std::uint32_t length) {
    return wb::module::give(wb::pageSimChoice(wb::module::inputText(length)));
}
