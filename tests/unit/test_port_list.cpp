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
        {"COM10", "", "\\Device\\VCP0", {}},
        {"COM3", "", "\\Device\\Serial2", {}},
        {"COM1", "", "\\Device\\Serial0", {}},
        {"COM21", "", "\\Device\\BthModem1", {}},
        {"COM2", "", "\\Device\\Serial1", {}},
    };
    sortPortListings(ports);
    std::vector<std::string> names;
    for (const auto& p : ports) names.push_back(p.name);
    EXPECT_EQ(names, (std::vector<std::string>{"COM1", "COM2", "COM3", "COM10", "COM21"}));
}

TEST(PortListFormat, AlignsAliasesAndBracketsDetails) {
    const std::vector<PortListing> ports = {
        {"/dev/ttyS0", "", "serial", {}},
        {"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI_A50285BI-if00-port0", "ftdi_sio", {}},
        {"/dev/ttyACM10", "/dev/serial/by-id/usb-Beacon_1-if00", "", {}},
        {"/dev/cu.usbserial", "", "", {}},
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

// Two cables of one make are told apart by what the system knows of them,
// and a cable that came back under another name is found again by it.
TEST(PortListUsb, IdentityIsShownParsedAndFollowed) {
    const UsbIdentity ftdi{"0403", "6001", "A50285BI", "FTDI", "FT232R USB UART"};
    const UsbIdentity other{"0403", "6001", "A6008ISP", "FTDI", "FT232R USB UART"};
    const UsbIdentity noSerial{"1a86", "7523", "", "", "USB Serial"};
    EXPECT_EQ(formatPortListings({{"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI-if00", "ftdi_sio", ftdi},
                                  {"/dev/ttyUSB12", "", "", noSerial}}),
              (std::vector<std::string>{
                  "/dev/ttyUSB0   /dev/serial/by-id/usb-FTDI-if00 [ftdi_sio] FTDI FT232R USB UART, USB 0403:6001, "
                  "serial A50285BI",
                  "/dev/ttyUSB12  USB Serial, USB 1a86:7523",
              }));

    const struct {
        const char* id;
        UsbIdentity usb;
    } ids[] = {
        {"USB\\VID_0403&PID_6001\\A50285BI", {"0403", "6001", "A50285BI", "", ""}},
        {"FTDIBUS\\VID_0403+PID_6001+A50285BIA\\0000", {"0403", "6001", "A50285BI", "", ""}},
        {"USB\\VID_10C4&PID_EA60\\5&2B4F3C1&0&2", {"10c4", "ea60", "", "", ""}},
        {"ACPI\\PNP0501\\1", {}},
        {"USB\\VID_04", {}},
    };
    for (const auto& c : ids) EXPECT_EQ(usbIdentityFromInstanceId(c.id), c.usb) << c.id;

    const PortListing was{"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI-if00", "ftdi_sio", ftdi};
    const PortListing wasNoAlias{"/dev/ttyUSB0", "", "ftdi_sio", ftdi};
    const PortListing wasNoSerial{"/dev/ttyUSB0", "", "ch341", noSerial};
    const struct {
        const char* name;
        PortListing known;
        std::vector<PortListing> now;
        std::string found;
    } moves[] = {
        {"ByAlias", was, {{"/dev/ttyUSB1", was.alias, "ftdi_sio", {}}}, "/dev/ttyUSB1"},
        {"BySerial", wasNoAlias, {{"/dev/ttyUSB3", "", "", other}, {"/dev/ttyUSB1", "", "", ftdi}}, "/dev/ttyUSB1"},
        {"StillThere", was, {{"/dev/ttyUSB0", was.alias, "", ftdi}}, ""},
        {"NotBack", wasNoAlias, {{"/dev/ttyUSB3", "", "", other}}, ""},
        {"NoSerialNeverGuessed", wasNoSerial, {{"/dev/ttyUSB1", "", "", noSerial}}, ""},
    };
    for (const auto& c : moves) EXPECT_EQ(findMovedAdapter(c.known, c.now), c.found) << c.name;
}

}  // namespace
}  // namespace wb
