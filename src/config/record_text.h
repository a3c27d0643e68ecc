#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace wb {

// How the record's values are written as text outside the form: the bytes
// of the Morse text as Unicode characters, and numbers in full.

// Bytes 0..255 as the characters U+0000..U+00FF in UTF-8.
std::string bytesToUtf8(std::string_view bytes);

// Back again: nullopt when the text is not UTF-8 or holds a character above
// U+00FF; then *fault, when given, says where ("byte 3 is not UTF-8",
// "character 2 is above U+00FF"). Overlong forms and surrogates are not
// UTF-8, as in JSON.
std::optional<std::string> utf8ToBytes(std::string_view text, std::string* fault = nullptr);

// "%.9g": the shortest printf form that reads back to the same float.
std::string floatText(float value);

// A whole decimal integer with an optional sign; nullopt for anything else
// or a value outside int64.
std::optional<std::int64_t> parseInteger(std::string_view text);

// A finite decimal number (optional sign, digits with an optional point,
// optional exponent), or "inf", "+inf", "-inf", "nan"; nullopt otherwise.
// The point is always '.'.
std::optional<double> parseDecimal(std::string_view text);

}  // namespace wb
