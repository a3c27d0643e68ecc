#pragma once

#include <string_view>

namespace wb {

// What follows the program's own name on its command line (the name
// quoted or not), with the blanks after the name skipped. Read from the
// whole command line rather than from WinMain's argument, because the
// MinGW start-up code drops the rest of the line when a quoted name is
// followed directly by text ("prog"/NOLIMIT).
constexpr std::string_view argumentsAfterProgramName(std::string_view line) {
    std::size_t i = 0;
    if (!line.empty() && line.front() == '"') {
        const std::size_t close = line.find('"', 1);
        i = close == std::string_view::npos ? line.size() : close + 1;
    } else {
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    }
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    return line.substr(i);
}

// The one option: "/NOLIMIT" as the whole argument text, in any letter
// case. Anything after it (a blank, a second argument) makes it no option.
constexpr bool isNoLimitOption(std::string_view arguments) {
    constexpr std::string_view option = "/NOLIMIT";
    if (arguments.size() != option.size()) return false;
    for (std::size_t i = 0; i < option.size(); ++i) {
        char c = arguments[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != option[i]) return false;
    }
    return true;
}

}  // namespace wb
