#include <cstdio>
#include <io.h>

#include "cli/stderr_terminal.h"

namespace wb {

bool stderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

}  // namespace wb
