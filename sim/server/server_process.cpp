#include "sim/server/server_process.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace wb {

const char* beaconSimPath() { return WB_BEACON_SIM_PATH; }

ServerProcess::ServerProcess(std::vector<std::string> args) {
    int in[2];
    int out[2];
    if (::pipe(in) != 0) return;
    if (::pipe(out) != 0) {
        ::close(in[0]);
        ::close(in[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    args.insert(args.begin(), beaconSimPath());
    args.push_back("--watch-stdin");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, beaconSimPath(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    stdin_ = in[1];
    stdout_ = out[0];
    if (pid_ > 0) slavePath_ = readLine();
}

ServerProcess::~ServerProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (stdin_ >= 0) ::close(stdin_);
    if (stdout_ >= 0) ::close(stdout_);
}

int ServerProcess::stop(int sig) {
    if (pid_ <= 0) return -1;
    ::kill(pid_, sig);
    return waitExit();
}

int ServerProcess::closeStdin() {
    if (stdin_ >= 0) ::close(stdin_);
    stdin_ = -1;
    return waitExit();
}

int ServerProcess::waitExit() {
    if (pid_ <= 0) return -1;
    int status = 0;
    for (int i = 0; i < 500; ++i) {
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

std::string ServerProcess::readLine() {
    std::string line;
    for (;;) {
        pollfd p{stdout_, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0) return line;
        char c = 0;
        if (::read(stdout_, &c, 1) != 1 || c == '\n') return line;
        line.push_back(c);
    }
}

}  // namespace wb
