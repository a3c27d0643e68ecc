#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/device_name.h"
#include "serial/serial_port.h"
#include "support/fake_comm.h"

namespace wb {
namespace {

using test::FakeComm;
using Op = FakeComm::Op;

// A device whose current settings differ from ours in every member, so that
// each member we set and each one we keep can be told apart.
LineSettings oddDeviceSettings() {
    LineSettings s;
    s.baudRate = 9600;
    s.byteSize = 7;
    s.parity = 2;
    s.stopBits = 2;
    s.outxCtsFlow = true;
    s.outxDsrFlow = true;
    s.dtrControl = 2;
    s.dsrSensitivity = true;
    s.outX = true;
    s.inX = true;
    s.rtsControl = 2;
    s.binary = false;
    s.parityCheck = true;
    s.txContinueOnXoff = true;
    s.errorCharEnabled = true;
    s.discardNull = true;
    s.abortOnError = true;
    s.xonLim = 2048;
    s.xoffLim = 512;
    s.xonChar = 0x11;
    s.xoffChar = 0x13;
    s.errorChar = '?';
    s.eofChar = 0x1A;
    s.evtChar = '\n';
    return s;
}

struct SerialPortTest : ::testing::Test {
    FakeComm comm;
    SerialPort port{comm};

    void openOk() {
        ASSERT_TRUE(port.open());
        comm.calls.clear();
    }
};

TEST_F(SerialPortTest, FreshPortIsClosedOnCom1At2400) {
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.handle, kInvalidCommHandle);
    EXPECT_EQ(port.portName, "COM1");
    EXPECT_EQ(port.baudRate, 2400u);
    EXPECT_EQ(port.lastError, "");
}

TEST_F(SerialPortTest, OpenConfiguresInOrderAndKeepsOtherDeviceSettings) {
    comm.deviceSettings = oddDeviceSettings();
    port.setPortName("COM3");
    ASSERT_TRUE(port.open());

    EXPECT_TRUE(port.isOpen());
    EXPECT_EQ(comm.ops(), (std::vector<Op>{Op::Open, Op::GetState, Op::SetState, Op::SetTimeouts}));
    EXPECT_EQ(comm.calls[0].name, "COM3");
    for (std::size_t i = 1; i < comm.calls.size(); ++i) EXPECT_EQ(comm.calls[i].handle, port.handle);

    ASSERT_EQ(comm.appliedSettings.size(), 1u);
    LineSettings expected = oddDeviceSettings();
    expected.baudRate = 2400;
    expected.byteSize = 8;
    expected.parity = 0;
    expected.stopBits = 0;
    expected.outxCtsFlow = false;
    expected.outxDsrFlow = false;
    expected.dtrControl = 1;
    expected.dsrSensitivity = false;
    expected.outX = false;
    expected.inX = false;
    expected.rtsControl = 1;
    EXPECT_EQ(comm.appliedSettings[0], expected);

    ASSERT_EQ(comm.appliedTimeouts.size(), 1u);
    const CommTimeouts& t = comm.appliedTimeouts[0];
    EXPECT_EQ(t.readIntervalTimeout, 50u);
    EXPECT_EQ(t.readTotalTimeoutMultiplier, 3u);
    EXPECT_EQ(t.readTotalTimeoutConstant, 100u);
    EXPECT_EQ(t.writeTotalTimeoutMultiplier, 2u);
    EXPECT_EQ(t.writeTotalTimeoutConstant, 300u);
    EXPECT_EQ(port.lastError, "");
}

TEST_F(SerialPortTest, OpenUsesThePortsBaudRate) {
    port.baudRate = 4800;
    ASSERT_TRUE(port.open());
    EXPECT_EQ(comm.appliedSettings.at(0).baudRate, 4800u);
}

// Each open step that can fail: its text, the calls made, and whether the
// port is held afterwards (a half-configured port is released).
struct OpenFailureCase {
    const char* label;
    bool FakeComm::*step;
    const char* text;
    std::vector<Op> ops;
};

std::string openFailureName(const ::testing::TestParamInfo<OpenFailureCase>& p) {
    return p.param.label;
}

class OpenFailure : public ::testing::TestWithParam<OpenFailureCase> {};

TEST_P(OpenFailure, LeavesTextAndReleasesThePort) {
    const auto& c = GetParam();
    FakeComm comm;
    SerialPort port(comm);
    port.setPortName("COM12");
    comm.*(c.step) = true;

    EXPECT_FALSE(port.open());
    EXPECT_EQ(port.lastError, c.text);
    EXPECT_EQ(comm.ops(), c.ops);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(comm.count(Op::Sleep), 0);
    if (comm.count(Op::Close) == 1) {
        EXPECT_EQ(comm.calls.back().handle, 100);
    }
}

TEST_P(OpenFailure, ProbeReportsFalseAndLeavesNothingOpen) {
    const auto& c = GetParam();
    FakeComm comm;
    SerialPort port(comm);
    comm.*(c.step) = true;

    EXPECT_FALSE(port.probe("COM12"));
    EXPECT_EQ(port.portName, "COM12");
    EXPECT_EQ(port.lastError, c.text);
    EXPECT_FALSE(port.isOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Steps, OpenFailure,
    ::testing::Values(
        OpenFailureCase{"CreateFile", &FakeComm::failOpen, "Could not open Com Port COM12", {Op::Open}},
        OpenFailureCase{"GetCommState", &FakeComm::failGetState, "Open: GetCommState failed",
                        {Op::Open, Op::GetState, Op::Close}},
        OpenFailureCase{"SetCommState", &FakeComm::failSetState, "Open: SetCommState failed",
                        {Op::Open, Op::GetState, Op::SetState, Op::Close}},
        OpenFailureCase{"SetCommTimeouts", &FakeComm::failSetTimeouts,
                        "Open: SetCommTimeouts failed",
                        {Op::Open, Op::GetState, Op::SetState, Op::SetTimeouts, Op::Close}}),
    openFailureName);

TEST_F(SerialPortTest, ConfigFailureWhoseReleaseFailsKeepsStepTextAndHandle) {
    comm.failSetState = true;
    comm.failClose = true;
    EXPECT_FALSE(port.open());
    // The reason the open failed matters more than the failed release.
    EXPECT_EQ(port.lastError, "Open: SetCommState failed");
    // Still held: the next open or close tries to release it again.
    EXPECT_EQ(port.handle, 100);

    comm.failSetState = false;
    comm.failClose = false;
    comm.calls.clear();
    EXPECT_TRUE(port.open());
    EXPECT_EQ(comm.calls.at(0).op, Op::Close);
    EXPECT_EQ(comm.calls.at(0).handle, 100);
    EXPECT_EQ(port.handle, 101);
}

TEST_F(SerialPortTest, OpenFailsWithTheNameAsGivenIncludingBlanks) {
    comm.failOpen = true;
    port.setPortName("/dev/tty USB0");
    EXPECT_FALSE(port.open());
    EXPECT_EQ(port.lastError, "Could not open Com Port /dev/tty USB0");
    EXPECT_EQ(comm.calls.at(0).name, "/dev/tty USB0");
}

TEST_F(SerialPortTest, ReopenClosesTheOldHandleFirst) {
    openOk();
    port.setPortName("COM2");
    EXPECT_EQ(port.handle, 100);  // a new name waits for the next open
    EXPECT_TRUE(port.open());
    ASSERT_GE(comm.calls.size(), 2u);
    EXPECT_EQ(comm.calls[0].op, Op::Close);
    EXPECT_EQ(comm.calls[0].handle, 100);
    EXPECT_EQ(comm.calls[1].op, Op::Open);
    EXPECT_EQ(comm.calls[1].name, "COM2");
    EXPECT_EQ(port.handle, 101);
    EXPECT_EQ(port.lastError, "");
}

TEST_F(SerialPortTest, ReopenWhoseCloseFailsAbandonsTheOldHandle) {
    openOk();
    comm.failClose = true;
    EXPECT_TRUE(port.open());
    EXPECT_EQ(port.handle, 101);
    EXPECT_EQ(port.lastError, "Close: Failed");

    comm.failOpen = true;
    comm.calls.clear();
    EXPECT_FALSE(port.open());
    // Close failed again, then the open failed: the last failure wins.
    EXPECT_EQ(comm.ops(), (std::vector<Op>{Op::Close, Op::Open}));
    EXPECT_EQ(port.lastError, "Could not open Com Port COM1");
    EXPECT_FALSE(port.isOpen());
}

TEST_F(SerialPortTest, CloseOutcomes) {
    port.close();
    EXPECT_EQ(port.lastError, "Close: ComPort Invalid");
    EXPECT_TRUE(comm.calls.empty());

    openOk();
    comm.failClose = true;
    port.close();
    EXPECT_EQ(port.lastError, "Close: Failed");
    EXPECT_EQ(port.handle, 100);  // still counts as open

    comm.failClose = false;
    port.close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(comm.count(Op::Close), 2);
    EXPECT_EQ(port.lastError, "Close: Failed");  // a success clears nothing
}

TEST_F(SerialPortTest, ClosedPortRefusesEverythingWithoutCallsOrPauses) {
    std::uint8_t bytes[4] = {1, 2, 3, 4};
    EXPECT_EQ(port.write(bytes, 4, 20), 0);
    EXPECT_EQ(port.lastError, "Write: ComPort Invalid");
    EXPECT_EQ(port.read(bytes, 1), 0);
    EXPECT_EQ(port.lastError, "Read: ComPort Invalid");
    EXPECT_EQ(port.write(bytes, 0, 20), 0);
    EXPECT_EQ(port.lastError, "Write: ComPort Invalid");
    EXPECT_TRUE(comm.calls.empty());
}

TEST_F(SerialPortTest, WriteSendsEachByteThenPauses) {
    openOk();
    const std::uint8_t bytes[3] = {0x1B, 'D', 0xAA};
    EXPECT_EQ(port.write(bytes, 3, 10), 3);
    ASSERT_EQ(comm.ops(), (std::vector<Op>{Op::WriteByte, Op::Sleep, Op::WriteByte, Op::Sleep,
                                           Op::WriteByte, Op::Sleep}));
    EXPECT_EQ(comm.calls[0].value, 0x1Bu);
    EXPECT_EQ(comm.calls[2].value, std::uint32_t{'D'});
    EXPECT_EQ(comm.calls[4].value, 0xAAu);
    EXPECT_EQ(comm.calls[1].value, 10u);
    EXPECT_EQ(port.lastError, "");
}

TEST_F(SerialPortTest, ZeroPauseStillYieldsAfterEachByte) {
    openOk();
    const std::uint8_t bytes[2] = {0x1B, 'V'};
    EXPECT_EQ(port.write(bytes, 2, 0), 2);
    EXPECT_EQ(comm.count(Op::Sleep), 2);
    EXPECT_EQ(comm.totalPauseMs(), 0u);
}

TEST_F(SerialPortTest, ChunkOf32TakesAtLeast640msOfPauses) {
    openOk();
    std::uint8_t chunk[32];
    for (int i = 0; i < 32; ++i) chunk[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(port.write(chunk, 32, 20), 32);
    EXPECT_EQ(comm.count(Op::WriteByte), 32);
    EXPECT_EQ(comm.count(Op::Sleep), 32);
    EXPECT_EQ(comm.totalPauseMs(), 640u);
    // Paced: no two writes without a pause between them.
    for (std::size_t i = 0; i < comm.calls.size(); ++i) {
        EXPECT_EQ(comm.calls[i].op, i % 2 == 0 ? Op::WriteByte : Op::Sleep) << i;
    }
}

TEST_F(SerialPortTest, FailedByteIsReportedThenCountedShortAndStillPaused) {
    openOk();
    comm.failWriteAt = {1};
    std::vector<std::string> textAtPause;
    comm.onSleep = [&] { textAtPause.push_back(port.lastError); };

    const std::uint8_t bytes[3] = {1, 2, 3};
    EXPECT_EQ(port.write(bytes, 3, 20), 2);
    EXPECT_EQ(comm.count(Op::WriteByte), 3);
    EXPECT_EQ(textAtPause, (std::vector<std::string>{"", "Write: Failed 1", "Write: Failed 1"}));
    EXPECT_EQ(port.lastError, "Write: Failed 2");
    EXPECT_EQ(comm.totalPauseMs(), 60u);
}

TEST_F(SerialPortTest, ByteNotTakenWithoutAnErrorGivesOnlyFailed2) {
    openOk();
    comm.shortWriteAt = {0};
    std::vector<std::string> textAtPause;
    comm.onSleep = [&] { textAtPause.push_back(port.lastError); };

    const std::uint8_t bytes[2] = {1, 2};
    EXPECT_EQ(port.write(bytes, 2, 10), 1);
    EXPECT_EQ(textAtPause, (std::vector<std::string>{"", ""}));
    EXPECT_EQ(port.lastError, "Write: Failed 2");
}

TEST_F(SerialPortTest, EmptyOrNegativeWriteDoesNothing) {
    openOk();
    port.lastError = "earlier";
    const std::uint8_t byte = 0;
    EXPECT_EQ(port.write(&byte, 0, 20), 0);
    EXPECT_EQ(port.write(&byte, -5, 20), 0);
    EXPECT_TRUE(comm.calls.empty());
    EXPECT_EQ(port.lastError, "earlier");
}

TEST_F(SerialPortTest, ReadOutcomes) {
    openOk();
    comm.incoming = {'W', 'r', 'e'};
    std::uint8_t buf[8] = {};
    EXPECT_EQ(port.read(buf, 2), 2);
    EXPECT_EQ(buf[0], 'W');
    EXPECT_EQ(buf[1], 'r');
    EXPECT_EQ(comm.calls.back().value, 2u);

    EXPECT_EQ(port.read(buf, 8), 1);
    EXPECT_EQ(port.read(buf, 1), 0);  // time-out: nothing, and no text
    EXPECT_EQ(port.lastError, "");

    comm.failRead = true;
    comm.incoming = {'x'};
    EXPECT_EQ(port.read(buf, 1), 0);
    EXPECT_EQ(port.lastError, "Read: Failed 1");
    EXPECT_EQ(comm.count(Op::Sleep), 0);
}

TEST_F(SerialPortTest, SuccessNeverClearsTheLastFailure) {
    comm.failOpen = true;
    EXPECT_FALSE(port.open());
    comm.failOpen = false;
    EXPECT_TRUE(port.open());
    const std::uint8_t byte = 7;
    EXPECT_EQ(port.write(&byte, 1, 0), 1);
    std::uint8_t in = 0;
    port.read(&in, 1);
    port.close();
    EXPECT_EQ(port.lastError, "Could not open Com Port COM1");
}

TEST_F(SerialPortTest, ProbeOpensAndClosesTheNamedPort) {
    EXPECT_TRUE(port.probe("COM4"));
    EXPECT_EQ(port.portName, "COM4");
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(comm.ops(),
              (std::vector<Op>{Op::Open, Op::GetState, Op::SetState, Op::SetTimeouts, Op::Close}));
    EXPECT_EQ(comm.calls[0].name, "COM4");
}

TEST_F(SerialPortTest, ProbeIsTrueEvenWhenClosingFails) {
    comm.failClose = true;
    EXPECT_TRUE(port.probe("COM5"));
    EXPECT_EQ(port.lastError, "Close: Failed");
    EXPECT_TRUE(port.isOpen());
}

TEST(Win32DeviceName, ComNumbersGoThroughTheDeviceNamespace) {
    struct Case {
        const char* given;
        const char* opened;
    };
    const Case cases[] = {
        {"COM1", "\\\\.\\COM1"},
        {"COM10", "\\\\.\\COM10"},
        {"COM255", "\\\\.\\COM255"},
        {"com12", "\\\\.\\com12"},
        {"\\\\.\\COM12", "\\\\.\\COM12"},
        {"COM", "COM"},
        {"COMX", "COMX"},
        {"COM1A", "COM1A"},
        {"COM 1", "COM 1"},
        {"LPT1", "LPT1"},
        {"/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(win32DeviceName(c.given), c.opened) << c.given;
}

}  // namespace
}  // namespace wb
