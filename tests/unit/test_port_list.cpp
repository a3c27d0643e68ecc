#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/port_list.h"

namespace wb {
namespace {

TEST(PortNameOrder, CountsNumbersByValue) {
    struct Case {
        const char* a;
        const char* b;
        bool less;
    };
    const Case cases[] = {
        {"COM2", "COM10", true},
        {"COM10", "COM2", false},
        {"COM10", "COM11", true},
        {"COM9", "COM9", false},
        {"COM", "COM1", true},
        {"COM1", "COM", false},
        {"COM01", "COM1", true},  // same value: plain text decides, still strict
        {"COM1", "COM01", false},
        {"COM007", "COM8", true},
        {"/dev/ttyUSB2", "/dev/ttyUSB10", true},
        {"/dev/ttyACM0", "/dev/ttyUSB0", true},
        {"/dev/ttyS3", "/dev/ttyUSB0", true},  // 'S' before 'U'
        {"COM99999999999999999999", "COM100000000000000000000", true},
        {"", "COM1", true},
        {"", "", false},
    };
    for (const auto& c : cases) EXPECT_EQ(portNameLess(c.a, c.b), c.less) << c.a << " < " << c.b;
}

TEST(PortNameOrder, SortsRegistryNamesByPortNumber) {
    std::vector<PortListing> ports = {
        {"COM10", "", "\\Device\\VCP0"},
        {"COM3", "", "\\Device\\Serial2"},
        {"COM1", "", "\\Device\\Serial0"},
        {"COM21", "", "\\Device\\BthModem1"},
        {"COM2", "", "\\Device\\Serial1"},
    };
    sortPortListings(ports);
    std::vector<std::string> names;
    for (const auto& p : ports) names.push_back(p.name);
    EXPECT_EQ(names, (std::vector<std::string>{"COM1", "COM2", "COM3", "COM10", "COM21"}));
}

TEST(PortListFormat, AlignsAliasesAndBracketsDetails) {
    const std::vector<PortListing> ports = {
        {"/dev/ttyS0", "", "serial"},
        {"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_A50285BI-if00-port0", "ftdi_sio"},
        {"/dev/ttyACM10", "/dev/serial/by-id/usb-Beacon_1-if00", ""},
        {"/dev/cu.usbserial", "", ""},
    };
    EXPECT_EQ(formatPortListings(ports),
              (std::vector<std::string>{
                  "/dev/ttyS0         [serial]",
                  "/dev/ttyUSB0       /dev/serial/by-id/usb-FTDI_A50285BI-if00-port0 [ftdi_sio]",
                  "/dev/ttyACM10      /dev/serial/by-id/usb-Beacon_1-if00",
                  "/dev/cu.usbserial",
              }));
    EXPECT_TRUE(formatPortListings({}).empty());
}

}  // namespace
}  // namespace wb
