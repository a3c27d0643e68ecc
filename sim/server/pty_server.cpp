#include "sim/server/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace wb {
namespace {

constexpr std::int64_t kMaxWaitUs = 100'000;
constexpr std::int64_t kHangUpGraceUs = 50'000;
// A reply byte this late leaves a gap a host's read may take for the end
// of the reply (it waits 100 ms for the next byte): logged, since only a
// busy machine holding the simulator back causes it.
constexpr std::int64_t kLateByteUs = 50'000;

bool makeRaw(int fd) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) return false;
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B2400);
    ::cfsetospeed(&tio, B2400);
    tio.c_cflag |= CLOCAL | CREAD;
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

void logLine(std::int64_t atUs, const std::string& text) {
    std::fprintf(stderr, "[%4lld.%06lld] %s\n", static_cast<long long>(atUs / 1'000'000),
                 static_cast<long long>(atUs % 1'000'000), text.c_str());
    std::fflush(stderr);
}

std::string describe(const BeaconRequest& r) {
    std::string text(beaconRequestName(r.kind));
    switch (r.kind) {
    case BeaconRequestKind::WriteDone:
    case BeaconRequestKind::WriteAbandoned:
        if (r.lostBytes > 0) text += ", " + std::to_string(r.lostBytes) + " bytes lost";
        if (r.fastBytes > 0) {
            text += ", " + std::to_string(r.fastBytes) +
                    " came less than 15 ms after the previous one";
        }
        break;
    default:
        if (!r.answered) text += " (ignored)";
        break;
    }
    return text;
}

void logEvent(const SimulatedFleet& fleet, const SimulatedFleet::Event& e) {
    if (!fleet.swapping()) return;
    logLine(e.atUs, "beacon " + std::to_string(e.index + 1) + " of " +
                        std::to_string(fleet.size()) + (e.connected ? " connected" : " removed"));
}

// What happened since the last call: each beacon connected, its requests,
// its removal (the events come in that order).
void logActivity(const SimulatedFleet& fleet, std::vector<std::size_t>& logged,
                 std::size_t& loggedEvents) {
    const auto& beacons = fleet.beacons();
    const auto& events = fleet.events();
    logged.resize(beacons.size(), 0);
    for (std::size_t i = 0; i < beacons.size(); ++i) {
        for (; loggedEvents < events.size() && events[loggedEvents].index == i &&
               events[loggedEvents].connected;
             ++loggedEvents) {
            logEvent(fleet, events[loggedEvents]);
        }
        const auto& requests = beacons[i]->requests();
        for (; logged[i] < requests.size(); ++logged[i]) {
            logLine(requests[logged[i]].atUs, describe(requests[logged[i]]));
        }
        for (; loggedEvents < events.size() && events[loggedEvents].index == i; ++loggedEvents) {
            logEvent(fleet, events[loggedEvents]);
        }
    }
}

}  // namespace

PtyServer::~PtyServer() { hangUp(); }

bool PtyServer::open(std::string& error) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    const char* name = ::ptsname(master_);
    if (name == nullptr) {
        error = "cannot name the pseudo-terminal";
        return false;
    }
    slavePath_ = name;
    slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0 || !makeRaw(slave_) || !makeRaw(master_)) {
        error = "cannot set up " + slavePath_ + ": " + std::strerror(errno);
        return false;
    }
    const int flags = ::fcntl(master_, F_GETFL);
    ::fcntl(master_, F_SETFL, flags | O_NONBLOCK);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    return true;
}

void PtyServer::hangUp() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    slave_ = -1;
    master_ = -1;
}

void PtyServer::run(SimulatedFleet& beacon, Clock& clock, const volatile std::sig_atomic_t& stop,
                    bool watchStdin) {
    std::vector<std::size_t> logged;
    std::size_t loggedEvents = 0;
    std::size_t dropped = 0;
    std::vector<std::uint8_t> out;
    bool stdinOpen = watchStdin;
    std::optional<std::int64_t> dropSeenUs;
    while (stop == 0) {
        std::int64_t now = clock.nowUs();
        beacon.advance(now);

        // Reply bytes leave at their due times, so the host sees 2400 baud.
        out.clear();
        while (master_ >= 0) {
            const auto due = beacon.nextByteTimeUs();
            if (!due || *due > now) break;
            if (out.empty() && now - *due > kLateByteUs) {
                logLine(now, "reply byte " + std::to_string((now - *due) / 1000) + " ms late: the machine is busy");
            }
            out.push_back(beacon.takeByte());
        }
        if (!out.empty()) {
            const ssize_t n = ::write(master_, out.data(), out.size());
            // Nobody reading and the pty's buffer full: the bytes are lost,
            // as on a serial line with no one listening.
            const std::size_t sent = n > 0 ? static_cast<std::size_t>(n) : 0;
            if (sent < out.size() && dropped == 0) {
                logLine(now, "host not reading: reply bytes dropped");
            }
            dropped += out.size() - sent;
        }

        logActivity(beacon, logged, loggedEvents);
        // The host gets a moment to read the last bytes before the hang-up
        // throws away what is still in the pty's buffer.
        if (beacon.lineDropped() && master_ >= 0) {
            if (!dropSeenUs) {
                dropSeenUs = now;
                logLine(now, "line dropped");
            } else if (now - *dropSeenUs >= kHangUpGraceUs) {
                hangUp();
            }
        }

        std::int64_t waitUs = kMaxWaitUs;
        if (const auto due = beacon.nextByteTimeUs(); due && master_ >= 0) {
            waitUs = std::clamp<std::int64_t>(*due - now, 0, kMaxWaitUs);
        }
        if (dropSeenUs && master_ >= 0) waitUs = std::min(waitUs, kHangUpGraceUs);
        std::array<pollfd, 2> fds{};
        nfds_t count = 0;
        if (master_ >= 0) fds[count++] = pollfd{master_, POLLIN, 0};
        const nfds_t stdinIndex = count;
        if (stdinOpen) fds[count++] = pollfd{STDIN_FILENO, POLLIN, 0};
        // Rounded up: a byte leaves at most a millisecond late, and the next
        // ones keep their own times, so nothing drifts.
        const int timeoutMs = static_cast<int>((waitUs + 999) / 1000);
        const int ready = ::poll(fds.data(), count, timeoutMs);
        if (ready <= 0) continue;  // time-out, or a signal
        now = clock.nowUs();

        if (master_ >= 0 && (fds[0].revents & POLLIN) != 0) {
            std::array<std::uint8_t, 512> in{};
            const ssize_t n = ::read(master_, in.data(), in.size());
            for (ssize_t i = 0; i < n; ++i) beacon.receive(in[static_cast<std::size_t>(i)], now);
        } else if (master_ >= 0 && (fds[0].revents & (POLLHUP | POLLERR)) != 0) {
            // Should not happen while we hold the slave; never spin on it.
            clock.sleepUs(20'000);
        }
        if (stdinOpen && (fds[stdinIndex].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            std::array<char, 256> buf{};
            if (::read(STDIN_FILENO, buf.data(), buf.size()) <= 0) break;
        }
    }
    if (dropped > 0) logLine(clock.nowUs(), std::to_string(dropped) + " reply bytes dropped");
}

}  // namespace wb
