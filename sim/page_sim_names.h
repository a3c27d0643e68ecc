#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wb {

// How a port name selects a simulated beacon: "sim:" and a model's name,
// or "sim:fleet=" and a fleet list (sim_port.h has the whole grammar).
inline constexpr std::string_view kSimPrefix = "sim:";
inline constexpr std::string_view kSimFleet = "fleet=";

// The fleets the page offers besides any its address names: three of each
// model, the newer first.
std::vector<std::string> pageSimFleets();

// The page's port choice for the simulator its address names (?sim=...):
// a model's name gives "sim:NAME", "fleet" alone the first fleet offered,
// "fleet=LIST" that list when parseFleetList takes it. Empty otherwise.
std::string pageSimChoice(std::string_view name);

}  // namespace wb
