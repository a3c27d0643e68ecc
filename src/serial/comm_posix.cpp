// Serial ports as termios device files. Reproduces what SerialPort expects
// of the Windows calls: an exclusive open, the DCB-like line settings, and
// reads and writes that give up after the COMMTIMEOUTS figures.

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <map>

#include "serial/platform_comm.h"

namespace wb {

namespace {

using Clock = std::chrono::steady_clock;

struct BaudEntry {
    std::uint32_t rate;
    speed_t code;
};

constexpr BaudEntry kBauds[] = {
    {300, B300},     {600, B600},     {1200, B1200},   {2400, B2400},    {4800, B4800},
    {9600, B9600},   {19200, B19200}, {38400, B38400}, {57600, B57600}, {115200, B115200},
};

bool speedCode(std::uint32_t rate, speed_t& code) {
    for (const auto& b : kBauds) {
        if (b.rate == rate) {
            code = b.code;
            return true;
        }
    }
    return false;
}

std::uint32_t speedRate(speed_t code) {
    for (const auto& b : kBauds) {
        if (b.code == code) return b.rate;
    }
    return 0;
}

int toFd(CommHandle handle) { return static_cast<int>(handle); }

// Milliseconds left until `deadline`, never negative.
int msLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return 0;
    // Round up so that a poll never ends before the deadline.
    return static_cast<int>(left) + 1;
}

enum class Wait { Ready, TimedOut, Gone };

// Waits for `events` on fd until the deadline. A hung-up or vanished
// device reports Gone at once rather than letting the caller spin.
Wait waitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int timeout = msLeft(deadline);
        const int r = ::poll(&p, 1, timeout);
        if (r < 0) {
            if (errno == EINTR) continue;
            return Wait::Gone;
        }
        if (r == 0) {
            if (Clock::now() >= deadline) return Wait::TimedOut;
            continue;
        }
        if ((p.revents & events) != 0) return Wait::Ready;
        return Wait::Gone;  // POLLHUP, POLLERR or POLLNVAL without data
    }
}

class PosixComm final : public CommApi {
public:
    ~PosixComm() override {
        for (const auto& [fd, t] : timeouts_) release(fd);
    }

    CommHandle openPort(const std::string& name) override {
        const int fd = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return failOpen(errno);
        // Like a COM port opened with share mode 0: one holder at a time.
        // TIOCEXCL keeps other programs out (root excepted); the lock also
        // keeps out a second opener running as root.
        const bool ok = ::isatty(fd) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::ioctl(fd, TIOCEXCL) == 0;
        if (!ok) {
            const int error = errno;
            ::close(fd);
            return failOpen(error);
        }
        // I/O stays non-blocking: every wait goes through poll with a
        // deadline, so a silent or vanished device never blocks for good.
        timeouts_[fd] = CommTimeouts{};
        return fd;
    }

    bool getLineSettings(CommHandle handle, LineSettings& s) override {
        termios t{};
        if (::tcgetattr(toFd(handle), &t) != 0) return false;
        s.baudRate = speedRate(::cfgetospeed(&t));
        switch (t.c_cflag & CSIZE) {
            case CS5: s.byteSize = 5; break;
            case CS6: s.byteSize = 6; break;
            case CS7: s.byteSize = 7; break;
            default: s.byteSize = 8; break;
        }
        s.parity = (t.c_cflag & PARENB) == 0 ? 0 : ((t.c_cflag & PARODD) != 0 ? 1 : 2);
        s.stopBits = (t.c_cflag & CSTOPB) != 0 ? 2 : 0;
        s.outxCtsFlow = (t.c_cflag & CRTSCTS) != 0;
        s.rtsControl = (t.c_cflag & CRTSCTS) != 0 ? 2 : 1;
        s.outX = (t.c_iflag & IXON) != 0;
        s.inX = (t.c_iflag & IXOFF) != 0;
        s.dtrControl = 1;
        s.xonChar = static_cast<char>(t.c_cc[VSTART]);
        s.xoffChar = static_cast<char>(t.c_cc[VSTOP]);
        return true;
    }

    bool setLineSettings(CommHandle handle, const LineSettings& s) override {
        const int fd = toFd(handle);
        termios t{};
        if (::tcgetattr(fd, &t) != 0) return false;
        speed_t speed{};
        if (!speedCode(s.baudRate, speed)) return false;

        ::cfmakeraw(&t);
        ::cfsetispeed(&t, speed);
        ::cfsetospeed(&t, speed);
        t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
        switch (s.byteSize) {
            case 5: t.c_cflag |= CS5; break;
            case 6: t.c_cflag |= CS6; break;
            case 7: t.c_cflag |= CS7; break;
            case 8: t.c_cflag |= CS8; break;
            default: return false;
        }
        if (s.parity == 1) t.c_cflag |= PARENB | PARODD;
        if (s.parity == 2) t.c_cflag |= PARENB;
        if (s.stopBits != 0) t.c_cflag |= CSTOPB;
        if (s.outxCtsFlow || s.rtsControl == 2) t.c_cflag |= CRTSCTS;
        t.c_cflag |= CLOCAL | CREAD;
        t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
        if (s.outX) t.c_iflag |= IXON;
        if (s.inX) t.c_iflag |= IXOFF;
        // With VMIN 0 an empty read would return 0, which looks like a hang-up;
        // VMIN 1 makes it EAGAIN (reads never block: O_NONBLOCK).
        t.c_cc[VMIN] = 1;
        t.c_cc[VTIME] = 0;
        if (::tcsetattr(fd, TCSANOW, &t) != 0) return false;

        int lines = 0;
        if (s.dtrControl == 1) lines |= TIOCM_DTR;
        if (s.rtsControl == 1) lines |= TIOCM_RTS;
        if (lines != 0 && ::ioctl(fd, TIOCMBIS, &lines) != 0) {
            // A pseudo-terminal has no modem lines; that is no failure.
            if (errno != ENOTTY && errno != EINVAL) return false;
        }
        return true;
    }

    bool setTimeouts(CommHandle handle, const CommTimeouts& timeouts) override {
        const auto it = timeouts_.find(toFd(handle));
        if (it == timeouts_.end()) return false;
        it->second = timeouts;
        return true;
    }

    bool writeByte(CommHandle handle, std::uint8_t byte, std::uint32_t& written) override {
        const int fd = toFd(handle);
        written = 0;
        const CommTimeouts t = timeoutsOf(fd);
        const auto deadline = Clock::now() + std::chrono::milliseconds(
                                                 t.writeTotalTimeoutMultiplier + t.writeTotalTimeoutConstant);
        for (;;) {
            // write(2) on a terminal raises no SIGPIPE; a lost device shows
            // as EIO or ENXIO.
            const ssize_t n = ::write(fd, &byte, 1);
            if (n == 1) {
                written = 1;
                return true;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return failIo(errno);
            switch (waitFor(fd, POLLOUT, deadline)) {
                case Wait::Ready: break;
                case Wait::TimedOut: return true;  // nothing taken in time
                case Wait::Gone: return failIo(ENXIO);
            }
        }
    }

    bool readBytes(CommHandle handle, std::uint8_t* buffer, std::uint32_t count,
                   std::uint32_t& got) override {
        const int fd = toFd(handle);
        got = 0;
        const CommTimeouts t = timeoutsOf(fd);
        const auto total = Clock::now() + std::chrono::milliseconds(
                                              std::uint64_t{t.readTotalTimeoutMultiplier} * count +
                                              t.readTotalTimeoutConstant);
        while (got < count) {
            auto deadline = total;
            if (got > 0 && t.readIntervalTimeout != 0) {
                const auto gap = Clock::now() + std::chrono::milliseconds(t.readIntervalTimeout);
                if (gap < deadline) deadline = gap;
            }
            // Take whatever is waiting before waiting for more.
            const ssize_t n = ::read(fd, buffer + got, count - got);
            if (n > 0) {
                got += static_cast<std::uint32_t>(n);
                continue;
            }
            if (n == 0) return got > 0 || failIo(ENXIO);  // end of file: the device hung up
            if (errno == EINTR) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) return got > 0 || failIo(errno);
            const Wait w = waitFor(fd, POLLIN, deadline);
            if (w == Wait::TimedOut) return true;
            if (w == Wait::Gone) return got > 0 || failIo(ENXIO);
        }
        return true;
    }

    bool closePort(CommHandle handle) override {
        const int fd = toFd(handle);
        if (timeouts_.erase(fd) == 0) return false;
        return release(fd);
    }

    void sleepMs(std::uint32_t milliseconds) override {
        if (milliseconds == 0) {
            ::sched_yield();
            return;
        }
        // An absolute deadline on the monotonic clock: an interrupted sleep
        // resumes for the time left and the pause is never shorter.
        timespec deadline{};
        ::clock_gettime(CLOCK_MONOTONIC, &deadline);
        deadline.tv_sec += static_cast<time_t>(milliseconds / 1000);
        deadline.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
        if (deadline.tv_nsec >= 1000000000L) {
            deadline.tv_sec += 1;
            deadline.tv_nsec -= 1000000000L;
        }
        while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
        }
    }

    OpenFailure lastOpenFailure() const override { return openFailure_; }
    IoFailure lastIoFailure() const override { return ioFailure_; }

private:
    // Always false, for the failing call to return.
    bool failIo(int error) {
        const bool gone = error == EIO || error == ENXIO || error == ENODEV || error == EBADF;
        ioFailure_ = gone ? IoFailure::DeviceGone : IoFailure::OtherError;
        return false;
    }

    CommHandle failOpen(int error) {
        switch (error) {
        case ENOENT: case ENOTDIR: case ENXIO: case ENODEV: openFailure_ = OpenFailure::NoSuchPort; break;
        case EACCES: case EPERM: openFailure_ = OpenFailure::PermissionDenied; break;
        // EWOULDBLOCK: another holder's lock; EBUSY: its TIOCEXCL.
        case EBUSY: case EWOULDBLOCK: openFailure_ = OpenFailure::Busy; break;
        // isatty: ENOTTY (or EINVAL on some systems) for a file or a folder.
        case ENOTTY: case EINVAL: case EISDIR: openFailure_ = OpenFailure::NotSerialDevice; break;
        default: openFailure_ = OpenFailure::Unknown; break;
        }
        return kInvalidCommHandle;
    }

    CommTimeouts timeoutsOf(int fd) const {
        const auto it = timeouts_.find(fd);
        return it == timeouts_.end() ? CommTimeouts{} : it->second;
    }

    static bool release(int fd) {
        // A pty keeps TIOCEXCL after its slave is closed, which would lock
        // out the next open of the same path (the exchange reopens often).
        ::ioctl(fd, TIOCNXCL);
        // close(2) releases the descriptor even when interrupted.
        return ::close(fd) == 0 || errno == EINTR;
    }

    std::map<int, CommTimeouts> timeouts_;
    OpenFailure openFailure_ = OpenFailure::Unknown;
    IoFailure ioFailure_ = IoFailure::Unknown;
};

}  // namespace

std::unique_ptr<CommApi> makePlatformComm() { return std::make_unique<PosixComm>(); }

}  // namespace wb
