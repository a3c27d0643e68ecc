// Serial ports from the system's serial device map, with what the device
// manager knows of their USB adapters; nothing is opened.

#include <windows.h>
#include <setupapi.h>

#include <map>

#include "serial/port_list.h"

namespace wb {

namespace {

// The device setup class of COM and LPT ports.
const GUID kPortsClass = {0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

std::string deviceText(HDEVINFO set, SP_DEVINFO_DATA& info, DWORD property) {
    char text[256] = {};
    DWORD type = 0;
    if (!::SetupDiGetDeviceRegistryPropertyA(set, &info, property, &type, reinterpret_cast<BYTE*>(text),
                                             sizeof text - 1, nullptr) ||
        type != REG_SZ) {
        return {};
    }
    return text;
}

// The USB identity of every present port that has one, by its COM name.
std::map<std::string, UsbIdentity> usbIdentities() {
    std::map<std::string, UsbIdentity> found;
    HDEVINFO set = ::SetupDiGetClassDevsA(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) return found;
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof info;
    for (DWORD index = 0; ::SetupDiEnumDeviceInfo(set, index, &info); ++index) {
        char id[512] = {};
        if (!::SetupDiGetDeviceInstanceIdA(set, &info, id, sizeof id - 1, nullptr)) continue;
        UsbIdentity usb = usbIdentityFromInstanceId(id);
        if (usb.vendorId.empty()) continue;
        HKEY key = ::SetupDiOpenDevRegKey(set, &info, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE) continue;
        char name[64] = {};
        DWORD size = sizeof name - 1;
        DWORD type = 0;
        const LONG r = ::RegQueryValueExA(key, "PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size);
        ::RegCloseKey(key);
        if (r != ERROR_SUCCESS || type != REG_SZ) continue;
        usb.maker = deviceText(set, info, SPDRP_MFG);
        usb.product = deviceText(set, info, SPDRP_DEVICEDESC);
        found[name] = usb;
    }
    ::SetupDiDestroyDeviceInfoList(set);
    return found;
}

UsbIdentity usbIdentityOf(const std::map<std::string, UsbIdentity>& usb, const std::string& name) {
    const auto it = usb.find(name);
    return it == usb.end() ? UsbIdentity{} : it->second;
}

}  // namespace

// A name Windows opens as a port can only be told from others by opening it.
std::string neverASerialPort(const std::string&) { return {}; }

std::vector<PortListing> listSerialPorts() {
    std::vector<PortListing> ports;
    const auto usb = usbIdentities();
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ,
                        &key) != ERROR_SUCCESS) {
        return ports;
    }
    for (DWORD index = 0;; ++index) {
        char device[256];
        BYTE data[256];
        DWORD deviceSize = sizeof device;
        DWORD dataSize = sizeof data - 1;
        DWORD type = 0;
        const LONG r = ::RegEnumValueA(key, index, device, &deviceSize, nullptr, &type, data,
                                       &dataSize);
        if (r == ERROR_NO_MORE_ITEMS) break;
        if (r != ERROR_SUCCESS || type != REG_SZ) continue;
        // Registry strings need not end in a NUL of their own.
        data[dataSize] = 0;
        const std::string name(reinterpret_cast<const char*>(data));
        if (!name.empty()) ports.push_back({name, {}, std::string(device, deviceSize), usbIdentityOf(usb, name)});
    }
    ::RegCloseKey(key);
    sortPortListings(ports);
    return ports;
}

}  // namespace wb
