#pragma once

#include <string>
#include <string_view>

namespace wb {

// The identification a Morse text sends on the air: upper-cased, with the
// blanks at both ends dropped.
std::string soundedText(std::string_view text);

// Whether two beacons storing these texts send the same identification.
bool soundAlike(std::string_view a, std::string_view b);

}  // namespace wb
