#pragma once

#include <charconv>

namespace wb {

// std::from_chars for a double, with its result: the C++ library of the
// WebAssembly build (libc++ 19) has no floating-point from_chars, so there
// the same reading is done by strtod, which in the C locale accepts the
// same digits, point and exponent.
std::from_chars_result decimalFromChars(const char* first, const char* last, double& value);

}  // namespace wb
