#include "app/form_numbers.h"

#include <cmath>
#include <limits>
#include <system_error>

#include "app/decimal_chars.h"

namespace wb {
namespace {

bool isBlank(char c) {
    // The C locale's white space, which is what a C reader of numbers skips.
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t skipBlanks(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    return i;
}

}  // namespace

std::int32_t readFormInteger(std::string_view text) {
    std::size_t i = skipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate the magnitude in 64 bits and stop growing once it is past
    // the int32 range: more digits cannot bring it back.
    constexpr std::int64_t kCap = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > kCap) magnitude = kCap;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);  // -2^31 at the lowest
}

float readFormDecimal(std::string_view text) {
    const std::size_t start = skipBlanks(text);
    std::size_t i = start;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t mantissaStart = i;
    std::size_t digits = 0;
    // Where the first significant digit stands relative to the point, to
    // tell an overflow from an underflow when the value is out of range.
    long leadingPosition = 0;
    bool seenSignificant = false;
    bool afterPoint = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (isDigit(c)) {
            ++digits;
            if (!afterPoint) {
                if (seenSignificant || c != '0') ++leadingPosition;
            } else if (!seenSignificant && c == '0') {
                --leadingPosition;
            }
            if (c != '0') seenSignificant = true;
        } else if (c == '.' && !afterPoint) {
            afterPoint = true;
        } else {
            break;
        }
    }
    if (digits == 0) return 0.0f;
    std::size_t end = i;
    long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool negativeExponent = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            negativeExponent = text[j] == '-';
            ++j;
        }
        if (j < text.size() && isDigit(text[j])) {
            for (; j < text.size() && isDigit(text[j]); ++j) {
                if (exponent < 100000) exponent = exponent * 10 + (text[j] - '0');
            }
            if (negativeExponent) exponent = -exponent;
            end = j;
        }
    }
    if (!seenSignificant) return negative ? -0.0f : 0.0f;

    double value = 0.0;
    const char* first = text.data() + mantissaStart;
    const auto [ptr, ec] = decimalFromChars(first, text.data() + end, value);
    constexpr float kMax = std::numeric_limits<float>::max();
    if (ec == std::errc::result_out_of_range) {
        const bool overflow = leadingPosition + exponent > 0;
        return overflow ? (negative ? -kMax : kMax) : (negative ? -0.0f : 0.0f);
    }
    if (ec != std::errc{} || ptr != text.data() + end) return 0.0f;
    if (negative) value = -value;
    // Round to the nearest float; past the largest float take the largest.
    if (value >= static_cast<double>(kMax)) return kMax;
    if (value <= -static_cast<double>(kMax)) return -kMax;
    return static_cast<float>(value);
}

}  // namespace wb
