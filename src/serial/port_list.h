#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wb {

// A serial port found on this machine, found without opening it (opening a
// Bluetooth serial port to see whether it exists can stall for seconds).
struct PortListing {
    std::string name;    // what to open: "COM3", "/dev/ttyUSB0"
    std::string alias;   // a stable name for the same port, e.g. its /dev/serial/by-id link
    std::string detail;  // the driver or the system's device name
};

// The serial ports of this machine, in port order.
std::vector<PortListing> listSerialPorts();

#ifndef _WIN32
// The same from a given root folder that stands for "/" (holding dev/ and
// sys/), so the listing can be checked against a made-up machine.
std::vector<PortListing> listSerialPortsUnder(const std::string& root);
#endif

// Orders names as people count: COM2 before COM10, ttyUSB9 before ttyUSB10.
bool portNameLess(std::string_view a, std::string_view b);
void sortPortListings(std::vector<PortListing>& ports);

// One line per port: the name, padded so that the aliases line up, then
// the alias and the detail in brackets when known. No trailing newline.
std::vector<std::string> formatPortListings(const std::vector<PortListing>& ports);

}  // namespace wb
