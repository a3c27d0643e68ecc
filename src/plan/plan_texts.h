#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "config/device_model.h"
#include "image/model_table.h"

namespace wb::plan_text {

inline std::string position(std::size_t index, std::size_t total) {
    return std::to_string(index + 1) + " of " + std::to_string(total);
}

// "Connect beacon MOE (1 of 5)"
inline std::string connect(const std::string& name, std::size_t index, std::size_t total) {
    return "Connect beacon " + name + " (" + position(index, total) + ")";
}
inline std::string connectAndConfirm(const std::string& name, std::size_t index,
                                     std::size_t total) {
    return connect(name, index, total) + " and press Enter";
}
inline constexpr std::string_view kNobodyAnswered = "No beacon answered";
inline std::string waitingForPort(const std::string& portError) {
    return "Waiting for the port (" + portError + ")";
}
inline std::string backupSaved(const std::string& path) { return "Backup saved to " + path; }
inline std::string programmed(const std::string& name, std::size_t done, std::size_t total) {
    return "Beacon " + name + " programmed (" + std::to_string(done) + " of " +
           std::to_string(total) + "); remove it";
}
inline std::string notProgrammed(const std::string& name, const std::string& status) {
    return "Beacon " + name + " not programmed (" + status +
           "); remove it, the next beacon gets " + name;
}
// The port failed while the image went out: the beacon holds part of it.
inline std::string cutOffMidWrite(const std::string& backupPath) {
    return "The port was lost mid-write: the beacon was cut off and may hold part of the new image; "
           "its backup is " + backupPath;
}
// The status a beacon of the other model gets: it names both models.
inline std::string wrongModel(DeviceModel found, DeviceModel planned) {
    return "Wrong model: a " + std::string(modelTitle(found)) + " beacon for a " +
           std::string(modelTitle(planned)) + " plan; not written";
}
inline constexpr std::string_view kRemoved = "Beacon removed";
inline constexpr std::string_view kInterrupted = "Interrupted";
// A stop while the written image was read back: the beacon took the whole
// image, whose check was not finished.
inline constexpr std::string_view kInterruptedVerifying = "Interrupted while verifying: written, not verified";
// "5 of 5 beacons programmed"
inline std::string summary(std::size_t done, std::size_t total) {
    return std::to_string(done) + " of " + std::to_string(total) + " beacons programmed";
}

}  // namespace wb::plan_text
