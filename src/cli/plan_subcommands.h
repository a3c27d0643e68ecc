#pragma once

#include <CLI/CLI.hpp>

#include "cli/cli_context.h"

namespace wb {

// `plan audit` and `plan sheet`, each in its own file, added to `plan`.
void addPlanAuditCommand(CLI::App& plan, CliContext& context);
void addPlanSheetCommand(CLI::App& plan, CliContext& context);

}  // namespace wb
