#include "app/decimal_chars.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>

namespace wb {

std::from_chars_result decimalFromChars(const char* first, const char* last, double& value) {
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
    return std::from_chars(first, last, value, std::chars_format::general);
#else
    // strtod wants a terminated text and skips leading blanks, a sign, hex
    // and "inf"/"nan", none of which from_chars takes: the caller hands in
    // only digits, a point and an exponent, so the results agree.
    const std::string text(first, last);
    errno = 0;
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    const auto used = static_cast<std::size_t>(end - text.c_str());
    if (used == 0) return {first, std::errc::invalid_argument};
    if (errno == ERANGE) return {first + used, std::errc::result_out_of_range};
    value = parsed;
    return {first + used, std::errc{}};
#endif
}

}  // namespace wb
