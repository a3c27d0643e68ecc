#pragma once

#include <ostream>

namespace wb {

class DeviceLinks;

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // the operation failed; status text on stderr
inline constexpr int kExitUsage = 2;   // the command line could not be taken

// What every command gets: where to print, and where to leave its exit
// code. Commands that need more (a serial port, a clock) add members with
// defaults here, so that tests can put their fakes in.
struct CliContext {
    std::ostream& out;
    std::ostream& err;
    int exitCode = kExitOk;
    // The device commands' ports and clock; null: the real ones.
    DeviceLinks* deviceLinks = nullptr;
};

}  // namespace wb
