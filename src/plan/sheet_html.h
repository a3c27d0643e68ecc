#pragma once

#include <string>
#include <string_view>

namespace wb {

// Text as the hunt sheet's HTML holds it: markup characters escaped, and
// control bytes, which have no business on paper, shown as U+FFFD.
inline std::string escapedHtml(std::string_view text) {
    std::string html;
    for (char c : text) {
        switch (c) {
        case '&': html += "&amp;"; break;
        case '<': html += "&lt;"; break;
        case '>': html += "&gt;"; break;
        case '"': html += "&quot;"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
                html += "&#xfffd;";
            } else {
                html.push_back(c);
            }
        }
    }
    return html;
}

}  // namespace wb
