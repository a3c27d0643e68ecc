#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "serial/adapter_follower.h"
#include "serial/port_list.h"

namespace wb {
namespace {

namespace fs = std::filesystem;

// A made-up machine: dev/ and sys/class/tty/ under a temporary folder.
class FakeMachine : public ::testing::Test {
protected:
    fs::path root;

    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "wb-ports-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
        fs::create_directories(root / "dev");
        fs::create_directories(root / "sys" / "bus" / "drivers");
    }
    void TearDown() override { fs::remove_all(root); }

    void devNode(const std::string& name) { std::ofstream(root / "dev" / name).put('\0'); }

    // A tty with its device bound to `driver` (empty: no device at all),
    // and the serial core's port type when `type` is given.
    void tty(const std::string& name, const std::string& driver, const char* type = nullptr) {
        const fs::path dir = root / "sys" / "class" / "tty" / name;
        fs::create_directories(dir);
        if (!driver.empty()) {
            fs::create_directories(dir / "device");
            fs::create_directories(root / "sys" / "bus" / "drivers" / driver);
            fs::create_directory_symlink(root / "sys" / "bus" / "drivers" / driver,
                                         dir / "device" / "driver");
        }
        if (type != nullptr) std::ofstream(dir / "type") << type << "\n";
        devNode(name);
    }

    void byId(const std::string& link, const std::string& target) {
        fs::create_directories(root / "dev" / "serial" / "by-id");
        fs::create_symlink(target, root / "dev" / "serial" / "by-id" / link);
    }

    // An FTDI adapter as the kernel shows it: the tty's device is the
    // usb-serial port, below the interface, below the USB device that
    // carries the ids.
    void usbTty(const std::string& name, const std::string& serial) {
        const fs::path usb = root / "sys" / "devices" / "usb1" / ("1-" + serial);
        const fs::path port = usb / "1-1:1.0" / name;
        fs::create_directories(port);
        const std::pair<const char*, std::string> files[] = {
            {"idVendor", "0403"}, {"idProduct", "6001"}, {"serial", serial},
            {"manufacturer", "FTDI"}, {"product", "FT232R USB UART"}};
        for (const auto& [file, text] : files) std::ofstream(usb / file) << text << "\n";
        fs::create_directories(root / "sys" / "bus" / "drivers" / "ftdi_sio");
        fs::create_directory_symlink(root / "sys" / "bus" / "drivers" / "ftdi_sio", port / "driver");
        fs::create_directories(root / "sys" / "class" / "tty" / name);
        fs::create_directory_symlink(port, root / "sys" / "class" / "tty" / name / "device");
        devNode(name);
    }

    std::vector<std::string> lines() { return formatPortListings(listSerialPortsUnder(root.string())); }
};

TEST_F(FakeMachine, ListsRealPortsWithTheirStableNames) {
    tty("ttyS0", "serial8250", "4");
    tty("ttyS1", "serial8250", "0");  // a legacy slot with no UART behind it
    tty("ttyS2", "serial8250");       // no type to tell: not listed
    tty("ttyS3", "dw-apb-uart");      // another UART driver, no type file
    tty("ttyUSB10", "ftdi_sio");
    tty("ttyUSB2", "ch341-uart");
    tty("ttyACM0", "cdc_acm");
    tty("tty1", "");                  // virtual console
    tty("ptmx", "");
    byId("usb-FTDI_FT232R_A50285BI-if00-port0", "../../ttyUSB10");
    byId("usb-Wrenbolt_Link-if00", "../../ttyACM0");

    EXPECT_EQ(lines(), (std::vector<std::string>{
                           "/dev/ttyACM0   /dev/serial/by-id/usb-Wrenbolt_Link-if00 [cdc_acm]",
                           "/dev/ttyS0     [serial8250]",
                           "/dev/ttyS3     [dw-apb-uart]",
                           "/dev/ttyUSB2   [ch341-uart]",
                           "/dev/ttyUSB10  /dev/serial/by-id/usb-FTDI_FT232R_A50285BI-if00-port0 [ftdi_sio]",
                       }));
}

TEST_F(FakeMachine, ByIdLinkWithoutClassEntryIsStillListedButDanglingOnesAreNot) {
    devNode("ttyUSB0");
    byId("usb-Prolific-if00-port0", "../../ttyUSB0");
    byId("usb-Gone-if00-port0", "../../ttyUSB7");
    byId("usb-Outside-if00", "../../../../etc/passwd");
    EXPECT_EQ(lines(), (std::vector<std::string>{
                           "/dev/ttyUSB0  /dev/serial/by-id/usb-Prolific-if00-port0",
                       }));
}

// Two cables of one make are told apart; one pulled out while its port was
// held comes back under another name and is followed there.
TEST_F(FakeMachine, ShowsUsbIdentityAndFollowsAnAdapterToItsNewName) {
    usbTty("ttyUSB0", "A50285BI");
    usbTty("ttyUSB1", "A6008ISP");
    EXPECT_EQ(lines(), (std::vector<std::string>{
                           "/dev/ttyUSB0  [ftdi_sio] FTDI FT232R USB UART, USB 0403:6001, serial A50285BI",
                           "/dev/ttyUSB1  [ftdi_sio] FTDI FT232R USB UART, USB 0403:6001, serial A6008ISP",
                       }));
    AdapterFollower follower([this] { return listSerialPortsUnder(root.string()); });
    follower.opened("/dev/ttyUSB0");
    fs::remove_all(root / "sys" / "class" / "tty" / "ttyUSB0");
    fs::remove(root / "dev" / "ttyUSB0");
    EXPECT_EQ(follower.moved("/dev/ttyUSB0"), "");  // not back yet; the other cable is not it
    fs::remove_all(root / "sys" / "devices" / "usb1" / "1-A50285BI");
    usbTty("ttyUSB2", "A50285BI");
    EXPECT_EQ(follower.moved("/dev/ttyUSB0"), "/dev/ttyUSB2");
}

TEST_F(FakeMachine, EmptyOrMissingTreesGiveNoPorts) {
    EXPECT_TRUE(lines().empty());
    fs::remove_all(root / "dev");
    fs::remove_all(root / "sys");
    EXPECT_TRUE(lines().empty());
    EXPECT_TRUE(listSerialPortsUnder((root / "nowhere").string()).empty());
}

}  // namespace
}  // namespace wb
