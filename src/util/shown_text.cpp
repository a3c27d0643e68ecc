#include "util/shown_text.h"

#include <cstdio>

namespace wb {

std::string shownText(std::string_view text, bool keepLineBreaks) {
    std::string shown;
    char code[8];
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (keepLineBreaks && byte == '\n') {
            shown.push_back('\n');
        } else if (byte < 0x20 || byte == 0x7f) {
            std::snprintf(code, sizeof code, "\\x%02x", byte);
            shown += code;
        } else if (byte == 0xc2 && next >= 0x80 && next <= 0x9f) {
            std::snprintf(code, sizeof code, "\\u%04x", next);
            shown += code;
            ++i;
        } else {
            shown.push_back(static_cast<char>(byte));
        }
    }
    return shown;
}

}  // namespace wb
