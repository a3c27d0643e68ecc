#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <sstream>
#include <string>

#include "cli/cli_app.h"
#include "pty_pair.h"
#include "serial/port_list.h"
#include "support/temp_dir.h"

namespace wb {
namespace {

int run(std::initializer_list<const char*> args, std::string& out, std::string& err) {
    std::vector<const char*> argv{"wrenbolt"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::ostringstream o;
    std::ostringstream e;
    const int code = runCli(static_cast<int>(argv.size()), argv.data(), o, e);
    out = o.str();
    err = e.str();
    return code;
}

TEST(CliPorts, PrintsThisMachinesPortsOneALine) {
    std::string out;
    std::string err;
    EXPECT_EQ(run({"ports"}, out, err), 0);
    const auto ports = listSerialPorts();
    if (ports.empty()) {
        EXPECT_EQ(out, "");
        EXPECT_EQ(err, "No serial ports found\n");
    } else {
        std::string expected;
        for (const auto& line : formatPortListings(ports)) expected += line + "\n";
        EXPECT_EQ(out, expected);
        EXPECT_EQ(err, "");
    }
}

TEST(CliPorts, TakesNoArguments) {
    std::string out;
    std::string err;
    EXPECT_EQ(run({"ports", "COM1"}, out, err), 2);
    EXPECT_EQ(run({"ports", "--json"}, out, err), 2);
    EXPECT_EQ(run({"ports", "--help"}, out, err), 0);
    EXPECT_NE(out.find("List the serial ports"), std::string::npos);
}

// The status text stays as the dialog shows it; the reason follows.
TEST(CliPorts, AnOpenFailureSaysWhy) {
    test::TempDir dir;
    const std::string plainFile = dir.file("not-a-port");
    test::writeText(plainFile, "x");
    test::PtyPair held;
    ASSERT_TRUE(held.ok());
    const int holder = ::open(held.slavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    const struct {
        std::string port;
        std::string reason;
    } cases[] = {
        {dir.file("ttyUSB9"), "No such file"},
        {held.slavePath(), "The port is busy"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port);
        std::string out;
        std::string err;
        EXPECT_EQ(run({"version", "--port", c.port.c_str(), "-q"}, out, err), 1);
        EXPECT_EQ(err.substr(0, err.find('\n') + 1), "Could not open Com Port " + c.port + "\n");
        EXPECT_EQ(err.substr(err.find('\n') + 1, c.reason.size()), c.reason);
    }
    ::close(holder);

    // What can never be a port is refused before anything is opened.
    const struct {
        std::string port;
        std::string why;
    } never[] = {
        {plainFile, "is a regular file, not a serial port"},
        {"/dev/null", "is a device but not a terminal, so not a serial port"},
    };
    for (const auto& c : never) {
        std::string out;
        std::string err;
        EXPECT_EQ(run({"version", "--port", c.port.c_str(), "-q"}, out, err), 2);
        EXPECT_EQ(err, "--port: " + c.port + " " + c.why + "\n");
    }
}

}  // namespace
}  // namespace wb
