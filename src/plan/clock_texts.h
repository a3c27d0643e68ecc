#pragma once

#include <cstdint>
#include <string>

namespace wb::clock_text {

// The hunt clock's lines. Names are joined with ", ".
inline std::string switchOn(const std::string& names, const std::string& countdown) {
    return "Switch on " + names + " in " + countdown;
}
inline std::string firstCycle(const std::string& names, const std::string& countdown) {
    return "First cycle in " + countdown + ": " + names;
}
// "Cycle 3: MOS on air"
inline std::string cycle(std::int64_t number, const std::string& onAir) {
    return "Cycle " + std::to_string(number) + ": " + onAir;
}
inline std::string onAir(const std::string& names) { return names + " on air"; }
inline constexpr const char* kNoneOnAir = "No beacon on air";
inline std::string next(const std::string& names, const std::string& countdown) {
    return "Next: " + names + " in " + countdown;
}
inline constexpr const char* kEnded = "The event has ended";
inline std::string deviceTime(const std::string& time, const std::string& offset) {
    return "Device time " + time + " (UTC" + offset + "): compare it with your watch";
}

// The clock's log, one row a tap.
inline constexpr const char* kLogColumns = "time,beacon,event";
inline std::string switchedOn(const std::string& howFar, const std::string& planned) {
    return "switched on " + howFar + " (planned " + planned + ")";
}
inline std::string late(std::int64_t seconds) { return std::to_string(seconds) + " s late"; }
inline std::string early(std::int64_t seconds) { return std::to_string(seconds) + " s early"; }
inline constexpr const char* kOnTime = "on time";
inline std::string heard(std::int64_t cycleNumber) { return "heard in cycle " + std::to_string(cycleNumber); }
inline std::string notHeard(std::int64_t cycleNumber) {
    return "not heard in cycle " + std::to_string(cycleNumber);
}
inline constexpr const char* kHeardBeforeStart = "heard before the start";
inline constexpr const char* kNotHeardBeforeStart = "not heard before the start";

}  // namespace wb::clock_text
