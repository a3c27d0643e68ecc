#pragma once

#include <functional>

namespace wb {

enum class PromptAnswer {
    Line,         // the user pressed Enter (or the input's last line came)
    Ended,        // the input ended with nothing more
    Interrupted,  // stopRequested said yes while the prompt waited
};

// Waits for a line on standard input, asking stopRequested meanwhile (at
// least every 100 ms where the platform allows), so that Ctrl-C at a
// prompt stops the command without an Enter first. The line's text is not
// kept: the prompts only wait for Enter.
PromptAnswer waitForEnter(const std::function<bool()>& stopRequested);

}  // namespace wb
