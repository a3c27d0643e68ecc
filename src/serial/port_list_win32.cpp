// Serial ports from the system's serial device map; nothing is opened.

#include <windows.h>

#include "serial/port_list.h"

namespace wb {

std::vector<PortListing> listSerialPorts() {
    std::vector<PortListing> ports;
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
        if (!name.empty()) ports.push_back({name, {}, std::string(device, deviceSize)});
    }
    ::RegCloseKey(key);
    sortPortListings(ports);
    return ports;
}

}  // namespace wb
