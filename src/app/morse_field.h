#pragma once

#include <string>
#include <string_view>

namespace wb {

// The dialog's Morse text field takes capitals only: a small letter typed
// is stored as its capital, byte for byte. The single-byte text has no
// capital for "ß" and "ÿ", which stay as typed.
constexpr unsigned char typedMorseByte(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 0x20);
    return c;
}

// A text as the field stores it when it is typed.
inline std::string typedMorseText(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(typedMorseByte(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace wb
