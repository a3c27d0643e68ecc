#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/device_links.h"
#include "config/outcome.h"

namespace wb {

class InterruptSource;

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // the operation failed; status text on stderr
inline constexpr int kExitUsage = 2;   // the command line could not be taken
// Stopped by Ctrl-C, as shells number it (128 + SIGINT).
inline constexpr int kExitInterrupted = 130;

// The exit code of an operation that came to this outcome.
constexpr int exitCodeFor(Outcome outcome) { return isSuccess(outcome) ? kExitOk : kExitFailed; }

// What every command gets: where to print, and where to leave its exit
// code. Commands that need more (a serial port, a clock) add members with
// defaults here, so that tests can put their fakes in.
struct CliContext {
    std::ostream& out;
    std::ostream& err;
    int exitCode = kExitOk;
    // The device commands' ports and clock; null: the real ones.
    DeviceLinks* deviceLinks = nullptr;
    // The user's Ctrl-C for the device commands; null: the console's own.
    InterruptSource* interrupts = nullptr;
    // Port names served by something other than a serial device, when
    // deviceLinks is null; empty: none.
    NamedLinkOpener namedLinks{};
    // The port names of that kind: those that begin with namedLinkPrefix
    // are never a device, so one that isNamedLink does not know is refused
    // with namedLinkNames, the list of the names there are. Null: none.
    std::function<bool(const std::string&)> isNamedLink{};
    std::string namedLinkPrefix{};
    std::string namedLinkNames{};
    // The plain names of that kind ("sim:basic", ...), offered by the
    // shells' completions.
    std::vector<std::string> namedLinkChoices{};
};

}  // namespace wb
