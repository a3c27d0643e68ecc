#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "cli/console_prompt.h"

namespace wb {
namespace {

// Read from the descriptor itself: poll() knows nothing of a stream's
// buffer. Lines typed ahead (or piped in at once) wait here for their prompt.
std::string gPending;

bool takeLine() {
    const std::size_t end = gPending.find('\n');
    if (end == std::string::npos) return false;
    gPending.erase(0, end + 1);
    return true;
}

}  // namespace

PromptAnswer waitForEnter(const std::function<bool()>& stopRequested) {
    for (;;) {
        if (takeLine()) return PromptAnswer::Line;
        if (stopRequested()) return PromptAnswer::Interrupted;
        pollfd input{STDIN_FILENO, POLLIN, 0};
        // A signal ends the wait early (poll is never restarted).
        const int ready = ::poll(&input, 1, 100);
        if (ready == 0 || (ready < 0 && errno == EINTR)) continue;
        char bytes[256];
        const ssize_t count = ready < 0 ? -1 : ::read(STDIN_FILENO, bytes, sizeof bytes);
        if (count < 0 && errno == EINTR) continue;
        if (count > 0) {
            gPending.append(bytes, static_cast<std::size_t>(count));
            continue;
        }
        // The end of the input (or an input that cannot be read): a last
        // line without its line break still counts, as for std::getline.
        if (gPending.empty()) return PromptAnswer::Ended;
        gPending.clear();
        return PromptAnswer::Line;
    }
}

}  // namespace wb
