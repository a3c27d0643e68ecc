#include "checks.h"

#include <cstdio>

namespace wbgui {

bool Checks::check(bool ok, const std::string& name, const std::string& detail) {
    ++total_;
    if (ok) {
        std::printf("ok   %s\n", name.c_str());
    } else {
        ++failures_;
        std::printf("FAIL %s%s%s\n", name.c_str(), detail.empty() ? "" : ": ", detail.c_str());
    }
    std::fflush(stdout);
    return ok;
}

bool Checks::equal(const std::string& name, const std::string& actual,
                   const std::string& expected) {
    return check(actual == expected, name,
                 "got " + shown(actual) + ", expected " + shown(expected));
}

bool Checks::equal(const std::string& name, long long actual, long long expected) {
    return check(actual == expected, name,
                 "got " + std::to_string(actual) + ", expected " + std::to_string(expected));
}

std::string shown(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '"': out += "\\\""; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
                out += hex;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

}  // namespace wbgui
