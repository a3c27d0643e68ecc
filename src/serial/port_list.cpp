#include "serial/port_list.h"

#include <algorithm>
#include <cctype>

namespace wb {

namespace {

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Compares the digit runs starting at a[i] and b[j] by value; advances both.
int compareNumber(std::string_view a, std::size_t& i, std::string_view b, std::size_t& j) {
    while (i < a.size() && a[i] == '0' && i + 1 < a.size() && isDigit(a[i + 1])) ++i;
    while (j < b.size() && b[j] == '0' && j + 1 < b.size() && isDigit(b[j + 1])) ++j;
    std::size_t ei = i;
    std::size_t ej = j;
    while (ei < a.size() && isDigit(a[ei])) ++ei;
    while (ej < b.size() && isDigit(b[ej])) ++ej;
    int result = 0;
    if (ei - i != ej - j) {
        result = ei - i < ej - j ? -1 : 1;
    } else {
        const int c = a.substr(i, ei - i).compare(b.substr(j, ej - j));
        result = c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    i = ei;
    j = ej;
    return result;
}

}  // namespace

bool portNameLess(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const int c = compareNumber(a, i, b, j);
            if (c != 0) return c < 0;
            continue;
        }
        if (a[i] != b[j]) {
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        }
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size()) return j < b.size();
    // Equal by value ("COM01" and "COM1"): fall back to the plain text so
    // that the order stays strict.
    return a < b;
}

void sortPortListings(std::vector<PortListing>& ports) {
    std::sort(ports.begin(), ports.end(), [](const PortListing& x, const PortListing& y) {
        return portNameLess(x.name, y.name);
    });
}

std::vector<std::string> formatPortListings(const std::vector<PortListing>& ports) {
    std::size_t width = 0;
    for (const auto& p : ports) width = std::max(width, p.name.size());
    std::vector<std::string> lines;
    for (const auto& p : ports) {
        std::string line = p.name;
        if (!p.alias.empty() || !p.detail.empty()) line.append(width - p.name.size() + 2, ' ');
        line += p.alias;
        if (!p.detail.empty()) {
            if (!p.alias.empty()) line += ' ';
            line += "[" + p.detail + "]";
        }
        if (const std::string usb = usbIdentityText(p.usb); !usb.empty()) {
            if (!p.alias.empty() || !p.detail.empty()) {
                line += ' ';
            } else {
                line.append(width - p.name.size() + 2, ' ');
            }
            line += usb;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string usbIdentityText(const UsbIdentity& usb) {
    std::string text = usb.maker;
    if (!usb.product.empty()) text += (text.empty() ? "" : " ") + usb.product;
    const auto add = [&text](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
    if (!usb.vendorId.empty() || !usb.productId.empty()) add("USB " + usb.vendorId + ":" + usb.productId);
    if (!usb.serial.empty()) add("serial " + usb.serial);
    return text;
}

UsbIdentity usbIdentityFromInstanceId(std::string_view id) {
    const auto field = [id](std::string_view key) -> std::string {
        const std::size_t at = id.find(key);
        if (at == std::string_view::npos || at + key.size() + 4 > id.size()) return {};
        std::string hex(id.substr(at + key.size(), 4));
        for (char& c : hex) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return hex;
    };
    UsbIdentity usb{field("VID_"), field("PID_"), {}, {}, {}};
    if (usb.vendorId.empty()) return {};
    const std::size_t first = id.find('\\');
    const std::size_t second = first == std::string_view::npos ? first : id.find('\\', first + 1);
    if (second == std::string_view::npos) return usb;
    const std::string_view hardware = id.substr(first + 1, second - first - 1);
    if (const std::size_t plus = hardware.rfind('+'); plus != std::string_view::npos) {
        // FTDI's own bus: the serial number ends the hardware part, with
        // the port's letter appended.
        std::string_view serial = hardware.substr(plus + 1);
        if (serial.size() > 1) serial.remove_suffix(1);
        usb.serial = std::string(serial);
    } else {
        // An instance part with "&" was made up by Windows: no serial number.
        const std::string_view instance = id.substr(second + 1);
        if (instance.find('&') == std::string_view::npos) usb.serial = std::string(instance);
    }
    return usb;
}

std::string findMovedAdapter(const PortListing& known, const std::vector<PortListing>& now) {
    const auto other = [&known](const PortListing& p) { return p.name != known.name; };
    if (!known.alias.empty()) {
        for (const auto& p : now) {
            if (p.alias == known.alias) return other(p) ? p.name : std::string();
        }
    }
    // Without a serial number two adapters of one make cannot be told
    // apart: another one's beacon must never be taken for this one's.
    const UsbIdentity& id = known.usb;
    if (id.vendorId.empty() || id.serial.empty()) return {};
    std::string found;
    int matches = 0;
    for (const auto& p : now) {
        if (p.usb.vendorId == id.vendorId && p.usb.productId == id.productId && p.usb.serial == id.serial) {
            found = p.name;
            ++matches;
        }
    }
    if (matches != 1) return {};
    return found != known.name ? found : std::string();
}

}  // namespace wb
