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
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace wb
