#pragma once

#include <string>
#include <string_view>

namespace wb {

// A JSON string of single-byte text: the bytes 0 to 255 stand for the
// characters U+0000 to U+00FF, as in the command line's JSON.
std::string jsonString(std::string_view bytes);

}  // namespace wb
