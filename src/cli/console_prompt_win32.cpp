#include <windows.h>

#include <iostream>
#include <string>

#include "cli/console_prompt.h"

namespace wb {

// Ctrl-C ends a console read early, so a blocking read is enough here. The
// console runs its handler on a thread of its own, a moment after the read
// has returned: the wait below lets it count the interrupt first.
PromptAnswer waitForEnter(const std::function<bool()>& stopRequested) {
    if (stopRequested()) return PromptAnswer::Interrupted;
    std::string line;
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    if (!read) ::Sleep(100);
    if (stopRequested()) return PromptAnswer::Interrupted;
    return read ? PromptAnswer::Line : PromptAnswer::Ended;
}

}  // namespace wb
