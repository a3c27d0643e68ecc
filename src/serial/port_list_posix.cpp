// Serial ports from the device tree: nothing is opened.

#include <fcntl.h>
#include <sys/stat.h>
#ifdef __linux__
#include <sys/sysmacros.h>
#endif
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <system_error>

#include "serial/port_list.h"

namespace wb {

namespace fs = std::filesystem;

namespace {

std::string readFirstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

bool startsWith(const std::string& s, std::string_view prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

// The name of the driver bound to a tty, empty when it has none (virtual
// consoles, ptys and the like). Newer kernels put the serial core's own
// "port" and "ctrl" devices between a UART and its tty; the driver worth
// showing is the one above them.
std::string driverOf(const fs::path& ttyDir) {
    fs::path device = ttyDir / "device";
    std::string name;
    for (int level = 0; level < 3; ++level) {
        std::error_code ec;
        const fs::path target = fs::read_symlink(device / "driver", ec);
        if (ec) return name;
        name = target.filename().string();
        if (name != "port" && name != "ctrl") return name;
        std::error_code upEc;
        if (!fs::exists(device / ".." / "driver", upEc)) return name;
        device /= "..";
    }
    return name;
}

// The 8250 driver registers a ttyS for every possible legacy port; only
// those with a UART behind them report a port type other than 0 (unknown).
bool hasRealUart(const fs::path& ttyDir, const std::string& driver) {
    std::error_code ec;
    if (fs::exists(ttyDir / "type", ec)) {
        const std::string type = readFirstLine(ttyDir / "type");
        return !type.empty() && type != "0";
    }
    return driver != "serial8250";
}

// The USB device above a tty: the first folder up from its device that
// has an idVendor (the interface's parent, for FTDI and CDC adapters alike).
UsbIdentity usbIdentityOf(const fs::path& ttyDir) {
    std::error_code ec;
    fs::path dir = fs::canonical(ttyDir / "device", ec);
    if (ec) return {};
    for (int level = 0; level < 4 && dir.has_relative_path(); ++level, dir = dir.parent_path()) {
        std::error_code existsEc;
        if (!fs::exists(dir / "idVendor", existsEc)) continue;
        return UsbIdentity{readFirstLine(dir / "idVendor"), readFirstLine(dir / "idProduct"),
                           readFirstLine(dir / "serial"), readFirstLine(dir / "manufacturer"),
                           readFirstLine(dir / "product")};
    }
    return {};
}

// Maps "/dev/ttyUSB0" to "/dev/serial/by-id/usb-..." for every by-id link.
std::map<std::string, std::string> byIdLinks(const fs::path& root) {
    std::map<std::string, std::string> links;
    const fs::path dir = root / "dev" / "serial" / "by-id";
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code linkEc;
        fs::path target = fs::read_symlink(it->path(), linkEc);
        if (linkEc) continue;
        if (target.is_relative()) target = dir / target;
        target = target.lexically_normal();
        const fs::path rel = target.lexically_relative(root);
        if (rel.empty() || startsWith(rel.string(), "..")) continue;
        const std::string device = "/" + rel.generic_string();
        const std::string alias = "/dev/serial/by-id/" + it->path().filename().string();
        // Several links to one port: keep the first in name order.
        auto found = links.find(device);
        if (found == links.end() || alias < found->second) links[device] = alias;
    }
    return links;
}

}  // namespace

std::vector<PortListing> listSerialPortsUnder(const std::string& rootText) {
    const fs::path root(rootText);
    std::vector<PortListing> ports;
    std::error_code ec;

#ifdef __APPLE__
    for (fs::directory_iterator it(root / "dev", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (startsWith(name, "cu.")) ports.push_back({"/dev/" + name, {}, {}, {}});
    }
#else
    auto aliases = byIdLinks(root);
    const fs::path ttyClass = root / "sys" / "class" / "tty";
    for (fs::directory_iterator it(ttyClass, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const std::string driver = driverOf(it->path());
        if (driver.empty()) continue;
        if (startsWith(name, "ttyS") && !hasRealUart(it->path(), driver)) continue;
        std::error_code devEc;
        if (!fs::exists(root / "dev" / name, devEc)) continue;
        PortListing port{"/dev/" + name, {}, driver, usbIdentityOf(it->path())};
        if (auto a = aliases.find(port.name); a != aliases.end()) {
            port.alias = a->second;
            aliases.erase(a);
        }
        ports.push_back(std::move(port));
    }
    // By-id links whose tty the class folder did not show.
    for (const auto& [device, alias] : aliases) {
        std::error_code devEc;
        if (fs::exists(root / device.substr(1), devEc)) ports.push_back({device, alias, {}, {}});
    }
#endif
    sortPortListings(ports);
    return ports;
}

std::vector<PortListing> listSerialPorts() { return listSerialPortsUnder("/"); }

std::string neverASerialPort(const std::string& name) {
    constexpr std::string_view kNoTerminal = "is a device but not a terminal, so not a serial port";
    struct stat info {};
    if (::stat(name.c_str(), &info) != 0) return {};
    if (S_ISFIFO(info.st_mode)) return "is a pipe (FIFO), not a serial port";
    if (S_ISSOCK(info.st_mode)) return "is a socket, not a serial port";
    if (S_ISBLK(info.st_mode)) return "is a disk (block device), not a serial port";
    if (!S_ISCHR(info.st_mode)) return {};
    struct stat own {};
    if (::stat("/dev/tty", &own) == 0 && S_ISCHR(own.st_mode) && own.st_rdev == info.st_rdev) {
        return "is this program's own terminal, not a serial port";
    }
#ifdef __linux__
    // The kernel names the class of every character device: a port's is
    // "tty". Asked there, the port itself is not opened (and its DTR line
    // not dropped and raised again).
    std::error_code ec;
    const fs::path subsystem = fs::read_symlink("/sys/dev/char/" + std::to_string(major(info.st_rdev)) + ":" +
                                                    std::to_string(minor(info.st_rdev)) + "/subsystem",
                                                ec);
    if (!ec) return subsystem.filename() == "tty" ? std::string() : std::string(kNoTerminal);
#endif
    // Opening a terminal without O_NOCTTY could make it ours; nothing is
    // read or written, and a port held by another program stays unasked.
    const int fd = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {};
    const bool terminal = ::isatty(fd) != 0;
    ::close(fd);
    return terminal ? std::string() : std::string(kNoTerminal);
}

}  // namespace wb
