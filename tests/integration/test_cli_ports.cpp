#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "cli/cli_app.h"
#include "serial/port_list.h"

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

}  // namespace
}  // namespace wb
