#include "plan/same_text.h"

namespace wb {

// Morse has no letter case, and blanks at the ends of a text are only
// silence before and after it: "moe", " MOE " and "MOE  " sound alike, so
// a hunter cannot tell their beacons apart. A blank inside a text is a
// word gap that can be heard, so "MO E" stays apart from "MOE".
std::string soundedText(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(' ');
    std::string sounded(text.substr(first, last - first + 1));
    for (char& c : sounded) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return sounded;
}

bool soundAlike(std::string_view a, std::string_view b) { return soundedText(a) == soundedText(b); }

}  // namespace wb
