#include "util/shown_text.h"

#include <cstdio>

namespace wb {

namespace {

// `kept`: the control characters that pass as they are.
std::string shown(std::string_view text, std::string_view kept) {
    std::string shown;
    char code[8];
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (byte < 0x20 && kept.find(static_cast<char>(byte)) != std::string_view::npos) {
            shown.push_back(static_cast<char>(byte));
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

}  // namespace

std::string shownText(std::string_view text, bool keepLineBreaks) { return shown(text, keepLineBreaks ? "\n" : ""); }

std::string shownStatusText(std::string_view text) { return shown(text, "\r\n"); }

}  // namespace wb
