#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace wb::test {

#ifdef WB_BEACON_SIM_PATH
inline constexpr const char* kBeaconSimPath = WB_BEACON_SIM_PATH;
#else
inline constexpr const char* kBeaconSimPath = "";
#endif

// wrenbolt-beacon-sim as a child process, with its stdin and stdout on
// pipes (--watch-stdin: it ends with the test even if the test crashes).
// The constructor waits for the slave path; slavePath() is empty when the
// server refused its arguments. Needs WB_BEACON_SIM_PATH (integration
// tests get it from their CMakeLists).
class BeaconSimProcess {
public:
    explicit BeaconSimProcess(std::vector<std::string> args) {
        int in[2];
        int out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, in[1]);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        args.insert(args.begin(), kBeaconSimPath);
        args.push_back("--watch-stdin");
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (::posix_spawn(&pid_, kBeaconSimPath, &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        stdin_ = in[1];
        stdout_ = out[0];
        slavePath_ = readLine();
    }
    ~BeaconSimProcess() {
        closePort();
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (stdin_ >= 0) ::close(stdin_);
        if (stdout_ >= 0) ::close(stdout_);
    }
    BeaconSimProcess(const BeaconSimProcess&) = delete;
    BeaconSimProcess& operator=(const BeaconSimProcess&) = delete;

    const std::string& slavePath() const { return slavePath_; }

    // Opens the slave side as a program would open its serial port.
    bool openPort() {
        closePort();
        port_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY);
        if (port_ < 0) return false;
        termios tio{};
        ::tcgetattr(port_, &tio);
        ::cfmakeraw(&tio);
        ::cfsetspeed(&tio, B2400);
        return ::tcsetattr(port_, TCSANOW, &tio) == 0;
    }
    void closePort() {
        if (port_ >= 0) ::close(port_);
        port_ = -1;
    }

    void send(const std::vector<std::uint8_t>& bytes, int pauseMs = 0) {
        for (std::uint8_t b : bytes) {
            ASSERT_EQ(::write(port_, &b, 1), 1);
            if (pauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
        }
    }

    // What arrives until `count` bytes or `quietMs` without a byte.
    std::vector<std::uint8_t> receive(std::size_t count, int quietMs = 500) {
        std::vector<std::uint8_t> got;
        while (got.size() < count) {
            pollfd p{port_, POLLIN, 0};
            if (::poll(&p, 1, quietMs) <= 0) break;
            std::uint8_t buf[300];
            const ssize_t n = ::read(port_, buf, sizeof buf);
            if (n <= 0) break;
            got.insert(got.end(), buf, buf + n);
        }
        return got;
    }

    // Stops it the way a test runner or a user would; the exit status.
    int stop(int sig = SIGTERM) {
        closePort();
        if (pid_ <= 0) return -1;
        ::kill(pid_, sig);
        return waitExit();
    }
    int closeStdin() {
        ::close(stdin_);
        stdin_ = -1;
        return waitExit();
    }
    // Exit status of a server that is expected to end by itself.
    int waitExit() {
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

private:
    std::string readLine() {
        std::string line;
        for (;;) {
            pollfd p{stdout_, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0) return line;
            char c = 0;
            if (::read(stdout_, &c, 1) != 1 || c == '\n') return line;
            line.push_back(c);
        }
    }

    pid_t pid_ = -1;
    int stdin_ = -1;
    int stdout_ = -1;
    int port_ = -1;
    std::string slavePath_;
};

}  // namespace wb::test
