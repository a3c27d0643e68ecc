#include "plan/event_time.h"

#include <array>

namespace wb {
namespace {

constexpr std::int64_t kDaySec = 86400;

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t daysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

struct Civil {
    std::int64_t year, month, day, hour, minute, second;
};

std::int64_t floorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0); }

Civil civilFrom(std::int64_t utcSec, std::int32_t offsetMin) {
    const std::int64_t local = utcSec + std::int64_t{offsetMin} * 60;
    const std::int64_t days = floorDiv(local, kDaySec);
    const std::int64_t secs = local - days * kDaySec;
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    return {yoe + era * 400 + (month <= 2 ? 1 : 0), month, day, secs / 3600, secs / 60 % 60, secs % 60};
}

bool leapYear(std::int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

std::int64_t daysInMonth(std::int64_t y, std::int64_t m) {
    constexpr std::array<std::int64_t, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leapYear(y) ? 29 : kDays[static_cast<std::size_t>(m - 1)];
}

// Reads `width` digits at `at`, advancing it.
bool digits(std::string_view text, std::size_t& at, std::size_t width, std::int64_t& value) {
    if (at + width > text.size()) return false;
    value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        const char c = text[at + i];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    at += width;
    return true;
}

bool literal(std::string_view text, std::size_t& at, char c) {
    if (at >= text.size() || text[at] != c) return false;
    ++at;
    return true;
}

// `v` in at least `width` digits, zeros in front (v is never negative here).
std::string padded(std::int64_t v, std::size_t width) {
    std::string digits = std::to_string(v);
    if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
    return digits;
}

std::string two(std::int64_t v) { return padded(v, 2); }

std::string dateOf(const Civil& c) { return padded(c.year, 4) + "-" + two(c.month) + "-" + two(c.day); }

std::string timeOf(const Civil& c) { return two(c.hour) + ":" + two(c.minute) + ":" + two(c.second); }

}  // namespace

std::optional<std::string> parseEventTime(std::string_view text, EventTime& time) {
    const std::string expected =
        "expected a date-time with its UTC offset, such as 2027-05-16T09:00:00+02:00 or "
        "2027-05-16T07:00:00Z";
    std::size_t at = 0;
    std::int64_t y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (!digits(text, at, 4, y) || !literal(text, at, '-') || !digits(text, at, 2, mo) ||
        !literal(text, at, '-') || !digits(text, at, 2, d) || !literal(text, at, 'T') ||
        !digits(text, at, 2, h) || !literal(text, at, ':') || !digits(text, at, 2, mi)) {
        return expected;
    }
    if (literal(text, at, ':') && !digits(text, at, 2, s)) return expected;
    if (mo < 1 || mo > 12 || d < 1 || d > daysInMonth(y, mo) || h > 23 || mi > 59 || s > 59) {
        return "\"" + std::string(text) + "\" is not a date and time of day";
    }
    std::int64_t offset = 0;
    if (at == text.size()) {
        return "\"" + std::string(text) +
               "\" has no UTC offset: add one (+02:00, Z), as a plan is carried between time zones";
    }
    if (!literal(text, at, 'Z')) {
        const char sign = text[at];
        std::int64_t oh = 0, om = 0;
        if ((sign != '+' && sign != '-') || !digits(text, ++at, 2, oh) || !literal(text, at, ':') ||
            !digits(text, at, 2, om) || oh > 23 || om > 59) {
            return expected;
        }
        offset = (sign == '-' ? -1 : 1) * (oh * 60 + om);
    }
    if (at != text.size()) return expected;
    time.offsetMin = static_cast<std::int32_t>(offset);
    time.utcSec = daysFromCivil(y, mo, d) * kDaySec + h * 3600 + mi * 60 + s - offset * 60;
    return std::nullopt;
}

std::string isoText(std::int64_t utcSec, std::int32_t offsetMin) {
    const Civil c = civilFrom(utcSec, offsetMin);
    std::string text = dateOf(c) + "T" + timeOf(c);
    if (offsetMin == 0) return text + "Z";
    const std::int32_t size = offsetMin < 0 ? -offsetMin : offsetMin;
    return text + (offsetMin < 0 ? "-" : "+") + two(size / 60) + ":" + two(size % 60);
}

std::string clockText(std::int64_t utcSec, std::int32_t offsetMin, std::int64_t dayOf) {
    const Civil c = civilFrom(utcSec, offsetMin);
    const Civil day = civilFrom(dayOf, offsetMin);
    if (c.year == day.year && c.month == day.month && c.day == day.day) return timeOf(c);
    return dateOf(c) + " " + timeOf(c);
}

}  // namespace wb
