#include "plan/same_text.h"

#include "app/morse_field.h"

namespace wb {

// Morse has no letter case, in any letter of the single-byte text the
// beacon stores: "é" and "É" sound alike, folded as the dialog's Morse field
// stores a small letter as its capital. Blanks at the ends of a text are only
// silence before and after it: "moe", " MOE " and "MOE  " sound alike, so
// a hunter cannot tell their beacons apart. A blank inside a text is a
// word gap that can be heard, so "MO E" stays apart from "MOE".
std::string soundedText(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(' ');
    return typedMorseText(text.substr(first, last - first + 1));
}

bool soundAlike(std::string_view a, std::string_view b) { return soundedText(a) == soundedText(b); }

}  // namespace wb
