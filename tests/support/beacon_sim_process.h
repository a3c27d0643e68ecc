#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "sim/server/server_process.h"

namespace wb::test {

// The server and the program's side of its pty, for the integration tests.
class BeaconSimProcess : public ServerProcess {
public:
    explicit BeaconSimProcess(std::vector<std::string> args) : ServerProcess(std::move(args)) {}
    ~BeaconSimProcess() { closePort(); }
    BeaconSimProcess(const BeaconSimProcess&) = delete;
    BeaconSimProcess& operator=(const BeaconSimProcess&) = delete;

    // Opens the slave side as a program would open its serial port.
    bool openPort() {
        closePort();
        port_ = ::open(slavePath().c_str(), O_RDWR | O_NOCTTY);
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

    // Closes the test's side of the pty first.
    int stop(int sig = SIGTERM) {
        closePort();
        return ServerProcess::stop(sig);
    }

private:
    int port_ = -1;
};

}  // namespace wb::test
