#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace wb::audit_text {

// "Connect a beacon to check (0 of 5 seen)"
inline std::string connect(std::size_t seen, std::size_t total) {
    return "Connect a beacon to check (" + std::to_string(seen) + " of " + std::to_string(total) +
           " seen)";
}
inline std::string connectAndConfirm(std::size_t seen, std::size_t total) {
    return connect(seen, total) + " and press Enter";
}
inline std::string matches(const std::string& name) { return name + ": matches the plan"; }
inline std::string differs(const std::string& name) { return name + ": differs from the plan"; }
// "  TX Frequency: beacon 146.565, plan 144.500"
inline std::string difference(const std::string& label, const std::string& beacon,
                              const std::string& plan, std::string_view other = "plan") {
    return label + ": beacon " + beacon + ", " + std::string(other) + " " + plan;
}
inline std::string stranger(const std::string& text) {
    return "Beacon \"" + text + "\": not in the plan";
}
inline std::string seenTwice(const std::string& name) { return name + ": seen twice"; }
inline std::string notRead(const std::string& status) {
    return "Beacon not read (" + status + "); remove it";
}
// "4 of 5 beacons match the plan"
inline std::string summary(std::size_t matching, std::size_t total) {
    return std::to_string(matching) + " of " + std::to_string(total) + " beacons match the plan";
}
inline std::string neverSeen(const std::string& names) { return "Never seen: " + names; }

// The report's results.
inline constexpr std::string_view kMatches = "matches";
inline constexpr std::string_view kDiffers = "differs";
inline constexpr std::string_view kNotInPlan = "not in plan";
inline constexpr std::string_view kSeenTwice = "seen twice";

}  // namespace wb::audit_text
