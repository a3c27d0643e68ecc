#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace wb {

// A JSON string of single-byte text: the bytes 0 to 255 stand for the
// characters U+0000 to U+00FF, as in the command line's JSON.
nlohmann::ordered_json latin1Json(std::string_view bytes);

// The module's answers in plain ASCII, which the page reads byte by byte:
// other characters escaped, text that is not UTF-8 replaced.
std::string asciiJson(const nlohmann::ordered_json& doc);

}  // namespace wb
