#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace wb {

// A moment as a plan writes it: the instant, and the UTC offset it was
// written in, which is the one every time derived from it is shown in.
struct EventTime {
    std::int64_t utcSec = 0;       // seconds since 1970-01-01T00:00:00Z
    std::int32_t offsetMin = 0;    // east of UTC

    bool operator==(const EventTime&) const = default;
};

// Reads "2027-05-16T09:00:00+02:00", "2027-05-16T07:00:00Z" or the same
// without seconds. A time without a UTC offset is refused: a plan is
// carried between time zones. Returns why not, or nothing.
std::optional<std::string> parseEventTime(std::string_view text, EventTime& time);

// An instant in an offset: "2027-05-16T09:00:00+02:00" ("Z" at offset 0).
std::string isoText(std::int64_t utcSec, std::int32_t offsetMin);
// "09:00:00", or "2027-05-17 00:01:00" when its date is not the one of
// `dayOf` (both read in the offset).
std::string clockText(std::int64_t utcSec, std::int32_t offsetMin, std::int64_t dayOf);

}  // namespace wb
