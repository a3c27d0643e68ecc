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

// A status text that holds a beacon's reply (`Version Read : "..."`) as a
// terminal may show it: as shownText, but the reply's own line end ("\r\n")
// passes as the status line has it, so a garbled or hostile reply cannot
// send escape sequences.
std::string shownStatusText(std::string_view text);

}  // namespace wb
