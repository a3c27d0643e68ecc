#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <termios.h>

#include <chrono>
#include <atomic>
#include <memory>
#include <thread>

#include "exchange/link_guard.h"
#include "pty_pair.h"
#include "serial/platform_comm.h"
#include "serial/serial_port.h"

namespace wb {
namespace {

using Clock = std::chrono::steady_clock;

struct CommPosix : ::testing::Test {
    test::PtyPair pty;
    std::unique_ptr<CommApi> comm = makePlatformComm();
    SerialPort port{*comm};

    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        port.setPortName(pty.slavePath());
    }
};

TEST_F(CommPosix, LineSettingsAsTheFarSideSeesThem) {
    // Start from settings the port must undo.
    {
        const int fd = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(fd, 0);
        termios t{};
        ASSERT_EQ(::tcgetattr(fd, &t), 0);
        ::cfsetospeed(&t, B9600);
        ::cfsetispeed(&t, B9600);
        t.c_cflag |= PARENB | CSTOPB | CRTSCTS;
        t.c_cflag = (t.c_cflag & ~static_cast<tcflag_t>(CSIZE)) | CS7;
        t.c_iflag |= IXON | IXOFF | IXANY;
        t.c_lflag |= ICANON | ECHO;
        ASSERT_EQ(::tcsetattr(fd, TCSANOW, &t), 0);
        ::close(fd);
    }
    ASSERT_TRUE(port.open()) << port.lastError;

    termios t{};
    ASSERT_EQ(::tcgetattr(pty.master(), &t), 0);
    EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B2400));
    EXPECT_EQ(::cfgetispeed(&t), static_cast<speed_t>(B2400));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | IXANY), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(port.lastError, "");
}

TEST_F(CommPosix, BytesTravelBothWaysUntranslated) {
    ASSERT_TRUE(port.open()) << port.lastError;
    const std::uint8_t request[] = {0x1B, 'D', 0xAA, '\n', 0x11, 0x00};
    EXPECT_EQ(port.write(request, 6, 0), 6);
    EXPECT_EQ(pty.receive(6), (std::vector<std::uint8_t>{0x1B, 'D', 0xAA, '\n', 0x11, 0x00}));

    ASSERT_TRUE(pty.send({'W', '\r', 0x13, 0xFF}));
    std::vector<std::uint8_t> got;
    for (int i = 0; i < 4; ++i) {
        std::uint8_t b = 0;
        ASSERT_EQ(port.read(&b, 1), 1) << i;
        got.push_back(b);
    }
    EXPECT_EQ(got, (std::vector<std::uint8_t>{'W', '\r', 0x13, 0xFF}));
    EXPECT_EQ(port.lastError, "");
}

TEST_F(CommPosix, LongerReadCollectsWhatArrivesThenStops) {
    ASSERT_TRUE(port.open()) << port.lastError;
    ASSERT_TRUE(pty.send({1, 2, 3}));
    std::uint8_t buf[16] = {};
    EXPECT_EQ(port.read(buf, 16), 3);
    EXPECT_EQ(buf[2], 3);
}

TEST_F(CommPosix, EmptyReadReturnsNothingAfterTheTimeout) {
    ASSERT_TRUE(port.open()) << port.lastError;
    std::uint8_t b = 0;
    const auto start = Clock::now();
    EXPECT_EQ(port.read(&b, 1), 0);
    // Never before the 103 ms time-out (no upper bound: machines are noisy).
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(100));
    EXPECT_EQ(port.lastError, "");
}

TEST_F(CommPosix, PauseIsNeverShorterThanAsked) {
    const auto start = Clock::now();
    comm->sleepMs(30);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(30));
}

// Signals that interrupt poll, read, write and the pause are taken in
// stride: no failure text, and no pause or time-out cut short.
TEST_F(CommPosix, InterruptingSignalsAreRetried) {
    struct sigaction action {};
    action.sa_handler = [](int) {};
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: calls fail with EINTR
    struct sigaction previous {};
    ASSERT_EQ(::sigaction(SIGUSR1, &action, &previous), 0);

    ASSERT_TRUE(port.open()) << port.lastError;
    std::atomic<bool> done{false};
    const pthread_t target = ::pthread_self();
    std::thread nagger([&] {
        while (!done) {
            ::pthread_kill(target, SIGUSR1);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });

    std::uint8_t b = 0;
    auto start = Clock::now();
    EXPECT_EQ(port.read(&b, 1), 0);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(100));
    start = Clock::now();
    comm->sleepMs(60);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(60));
    const std::uint8_t bytes[3] = {1, 2, 3};
    EXPECT_EQ(port.write(bytes, 3, 5), 3);

    done = true;
    nagger.join();
    ::sigaction(SIGUSR1, &previous, nullptr);
    EXPECT_EQ(pty.receive(3), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(port.lastError, "");
}

TEST_F(CommPosix, SecondOpenerIsRefusedUntilTheFirstCloses) {
    ASSERT_TRUE(port.open()) << port.lastError;
    auto otherComm = makePlatformComm();
    SerialPort other(*otherComm);
    EXPECT_FALSE(other.probe(pty.slavePath()));
    EXPECT_EQ(other.lastError, "Could not open Com Port " + pty.slavePath());

    port.close();
    EXPECT_FALSE(port.isOpen());
    // Closed ports do not stay exclusive (a pty would, without TIOCNXCL).
    EXPECT_TRUE(other.open()) << other.lastError;
    other.close();
    EXPECT_TRUE(port.open()) << port.lastError;
}

TEST_F(CommPosix, ReopenOfTheSamePathSucceeds) {
    ASSERT_TRUE(port.open()) << port.lastError;
    ASSERT_TRUE(port.open()) << port.lastError;
    EXPECT_EQ(port.lastError, "");
    port.close();
    EXPECT_EQ(port.lastError, "");
}

TEST_F(CommPosix, NamesThatAreNoSerialDeviceFailToOpen) {
    for (const std::string name : {"/dev/null", "/nonexistent/ttyUSB9", "/tmp", ""}) {
        EXPECT_FALSE(port.probe(name)) << name;
        EXPECT_EQ(port.lastError, "Could not open Com Port " + name);
        EXPECT_FALSE(port.isOpen());
    }
}

TEST_F(CommPosix, FarSideClosingMidReadFailsTheRead) {
    ASSERT_TRUE(port.open()) << port.lastError;
    std::thread closer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        pty.closeMaster();
    });
    std::uint8_t buf[200];
    // A 200-byte read would wait 700 ms; the hang-up ends it.
    const std::int32_t n = port.read(buf, 200);
    closer.join();
    EXPECT_EQ(n, 0);
    EXPECT_EQ(port.lastError, "Read: Failed 1");
}

TEST_F(CommPosix, VanishedDeviceFailsReadsAndWritesAtOnce) {
    ASSERT_TRUE(port.open()) << port.lastError;
    pty.closeMaster();

    std::uint8_t b = 0;
    EXPECT_EQ(port.read(&b, 1), 0);
    EXPECT_EQ(port.lastError, "Read: Failed 1");

    // No SIGPIPE either: the test process would not survive one.
    const std::uint8_t bytes[2] = {0x1B, 'V'};
    EXPECT_EQ(port.write(bytes, 2, 0), 0);
    EXPECT_EQ(port.lastError, "Write: Failed 2");
    EXPECT_EQ(comm->lastIoFailure(), IoFailure::DeviceGone);
    port.close();
    EXPECT_FALSE(port.isOpen());
}

// The adapter gone in the middle of a paced chunk: the guard keeps the
// first failure and why, and refuses the rest of the chunk.
TEST_F(CommPosix, PtyClosedMidWriteIsAPortLost) {
    LinkGuard guard(*comm);
    SerialPort guarded(guard);
    guarded.setPortName(pty.slavePath());
    ASSERT_TRUE(guarded.open()) << guarded.lastError;
    std::thread closer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        pty.closeMaster();
    });
    const std::uint8_t chunk[32] = {};
    const std::int32_t written = guarded.write(chunk, 32, 20);
    closer.join();
    EXPECT_GT(written, 0);
    EXPECT_LT(written, 32);
    EXPECT_TRUE(guard.lost());
    EXPECT_EQ(guard.failure(), "Write: Failed 1");
    EXPECT_EQ(guard.reason(), IoFailure::DeviceGone);
    guarded.close();
}

}  // namespace
}  // namespace wb
