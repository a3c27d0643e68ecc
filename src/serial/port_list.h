#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wb {

// What the system knows of the USB device behind a port: two adapters of
// one make differ in their serial numbers. Empty for other ports.
struct UsbIdentity {
    std::string vendorId;   // four hex digits, "0403"
    std::string productId;  // "6001"
    std::string serial;     // the adapter's own serial number, if it has one
    std::string maker;      // "FTDI"
    std::string product;    // "FT232R USB UART"

    bool empty() const { return vendorId.empty() && productId.empty() && serial.empty() && maker.empty() && product.empty(); }
    bool operator==(const UsbIdentity&) const = default;
};

// A serial port found on this machine, found without opening it (opening a
// Bluetooth serial port to see whether it exists can stall for seconds).
struct PortListing {
    std::string name;    // what to open: "COM3", "/dev/ttyUSB0"
    std::string alias;   // a stable name for the same port, e.g. its /dev/serial/by-id link
    std::string detail;  // the driver or the system's device name
    UsbIdentity usb;
};

// The serial ports of this machine, in port order.
std::vector<PortListing> listSerialPorts();

#ifndef _WIN32
// The same from a given root folder that stands for "/" (holding dev/ and
// sys/), so the listing can be checked against a made-up machine.
std::vector<PortListing> listSerialPortsUnder(const std::string& root);
#endif

// Why `name` can never be a serial port, looked up without keeping it open:
// a pipe, a socket, a disk, a device that is no terminal (/dev/null), or
// this program's own terminal (/dev/tty). Empty when it may be one, or when
// the system does not say (an absent or busy port: the open tells).
// Folders and regular files are the caller's to refuse, on every platform.
std::string neverASerialPort(const std::string& name);

// Orders names as people count: COM2 before COM10, ttyUSB9 before ttyUSB10.
bool portNameLess(std::string_view a, std::string_view b);
void sortPortListings(std::vector<PortListing>& ports);

// One line per port: the name, padded so that the aliases line up, then
// the alias, the detail in brackets and the USB identity when known. No
// trailing newline.
std::vector<std::string> formatPortListings(const std::vector<PortListing>& ports);
// "FTDI FT232R USB UART, USB 0403:6001, serial A50285BI"
std::string usbIdentityText(const UsbIdentity& usb);

// The USB identity in a Windows device instance id:
// "USB\VID_0403&PID_6001\A50285BI", "FTDIBUS\VID_0403+PID_6001+A50285BIA\0000".
// The ids in lower case, as Linux writes them. Maker and product stay empty.
UsbIdentity usbIdentityFromInstanceId(std::string_view id);

// The port in `now` that is the adapter `known` was listed as, under
// another name: the same by-id alias, or else the same USB vendor, product
// and serial number. Empty when it is not there, not under another name,
// or cannot be told from others (no serial number).
std::string findMovedAdapter(const PortListing& known, const std::vector<PortListing>& now);

}  // namespace wb
