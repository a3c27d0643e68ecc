#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace wb {

// How the form reads and shows numbers. Reading is lenient: the leading
// number of the text counts, anything after it is ignored, and a text that
// does not start with a number gives 0. The decimal point is always '.',
// whatever the user's locale.

// Blanks, an optional sign, decimal digits; saturates to the int32 range.
std::int32_t readFormInteger(std::string_view text);

// Blanks, an optional sign, digits with an optional point and an optional
// exponent, read as a double and rounded to the nearest float. Values past
// the float range give the largest float of that sign, so the record never
// holds an infinity.
float readFormDecimal(std::string_view text);

// "%d" and "%04d" (7 shows as 0007, -7 as -007).
std::string formatFormInteger(std::int32_t value);
std::string formatUnlockCode(std::int32_t value);

// "%3.3f" of the value widened to double. A field shows at most 19
// characters, so a value whose fixed text would be longer (from 1e15 up or
// -1e14 down) is shown as "%.8e" instead, which reads back to the same
// float; infinities and NaN show as "inf", "-inf" and "nan".
inline constexpr std::size_t kMaxNumberText = 19;
std::string formatFormDecimal(float value);

}  // namespace wb
