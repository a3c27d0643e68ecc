#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace wb {

// Where the build put wrenbolt-beacon-sim.
const char* beaconSimPath();

// wrenbolt-beacon-sim as a child process, its stdin and stdout on pipes
// (--watch-stdin: it ends with its parent, even when the parent crashes).
// For the tests and the benchmark, which need a beacon on a real pty.
class ServerProcess {
public:
    // Starts the server with these arguments and waits up to 5 s for the
    // slave path it prints; slavePath() stays empty when it refused them.
    explicit ServerProcess(std::vector<std::string> args);
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    const std::string& slavePath() const { return slavePath_; }

    // Stops it as a test runner or a user would; its exit status (128 + the
    // signal when a signal ended it), -1 when it would not end.
    int stop(int sig);
    // Closes its stdin, which --watch-stdin takes as the end; the status.
    int closeStdin();
    // The status of a server that is expected to end by itself.
    int waitExit();

private:
    std::string readLine();

    pid_t pid_ = -1;
    int stdin_ = -1;
    int stdout_ = -1;
    std::string slavePath_;
};

}  // namespace wb
