#pragma once

#include <cstdint>
#include <string_view>

namespace wb {

// How the form reads numbers (config/record_view.h shows them). Reading is
// lenient: the leading number of the text counts, anything after it is
// ignored, and a text that does not start with a number gives 0. The decimal point is always '.',
// whatever the user's locale.

// Blanks, an optional sign, decimal digits; saturates to the int32 range.
std::int32_t readFormInteger(std::string_view text);

// Blanks, an optional sign, digits with an optional point and an optional
// exponent, read as a double and rounded to the nearest float. Values past
// the float range give the largest float of that sign, so the record never
// holds an infinity.
float readFormDecimal(std::string_view text);

}  // namespace wb
