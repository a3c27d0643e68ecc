#pragma once

#include <string>
#include <string_view>

namespace wb {

// A name or text as a terminal may show it: control characters (C0, DEL,
// and C1 as UTF-8) written as \xHH or \u00HH, so that a
// plan cannot move the cursor, clear the screen or retitle the window
// of whoever prints it. Other bytes pass as they are; with keepLineBreaks
// so do "\n" (a table of several lines).
std::string shownText(std::string_view text, bool keepLineBreaks = false);

}  // namespace wb
