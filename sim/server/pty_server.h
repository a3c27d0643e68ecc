#pragma once

#include <csignal>
#include <string>

#include "clock/clock.h"
#include "sim/simulated_fleet.h"

namespace wb {

// One beacon (or a fleet, one after another) on the master side of a pseudo-terminal. The program under
// test opens the slave side as its serial port.
class PtyServer {
public:
    PtyServer() = default;
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Creates the pty; on failure `error` says why.
    bool open(std::string& error);
    const std::string& slavePath() const { return slavePath_; }

    // Serves until `stop` is set (by a signal handler), or, with
    // watchStdin, until standard input reaches its end.
    void run(SimulatedFleet& fleet, Clock& clock, const volatile std::sig_atomic_t& stop,
             bool watchStdin);

private:
    void hangUp();

    int master_ = -1;
    // Our own handle on the slave: while it is open the master never sees
    // a hang-up between the client's opens, and the raw line settings
    // (no echo) survive the client's closes.
    int slave_ = -1;
    std::string slavePath_;
};

}  // namespace wb
