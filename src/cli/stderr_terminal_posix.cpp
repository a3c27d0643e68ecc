#include <unistd.h>

#include "cli/stderr_terminal.h"

namespace wb {

bool stderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

}  // namespace wb
