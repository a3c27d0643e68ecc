#pragma once

namespace wb {

// True when stderr is a terminal that can redraw a progress bar in place.
bool stderrIsTerminal();

}  // namespace wb
