#pragma once

#include <ostream>

#include "cli/cli_context.h"

namespace wb {

// Runs the wrenbolt command line and returns its exit code (kExitOk,
// kExitFailed, kExitUsage). Normal output goes to out, messages to err.
int runCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err);
// The same with a context the caller prepared (tests set their own seams).
int runCli(int argc, const char* const* argv, CliContext& context);

}  // namespace wb
