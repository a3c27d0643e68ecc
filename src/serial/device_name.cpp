#include "serial/device_name.h"

#include <cctype>

namespace wb {

bool isComPortName(std::string_view name) {
    auto upper = [](char c) {
        return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    };
    const bool comPrefix =
        name.size() > 3 && upper(name[0]) == 'C' && upper(name[1]) == 'O' && upper(name[2]) == 'M';
    bool digits = comPrefix;
    for (std::size_t i = 3; digits && i < name.size(); ++i) {
        digits = std::isdigit(static_cast<unsigned char>(name[i])) != 0;
    }
    return digits;
}

std::string win32DeviceName(std::string_view name) {
    if (!isComPortName(name)) return std::string(name);
    return "\\\\.\\" + std::string(name);
}

}  // namespace wb
