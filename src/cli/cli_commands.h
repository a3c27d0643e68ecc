#pragma once

#include <CLI/CLI.hpp>

#include "cli/cli_context.h"

namespace wb {

// Each command lives in its own command_<name>.cpp and adds itself to the
// app with one of these. The command's callback runs after a good parse,
// sets context.exitCode and may throw UsageError for a bad value.
using CommandRegistration = void (*)(CLI::App& app, CliContext& context);

void addDefaultsCommand(CLI::App& app, CliContext& context);
void addShowCommand(CLI::App& app, CliContext& context);
void addEncodeCommand(CLI::App& app, CliContext& context);
void addPortsCommand(CLI::App& app, CliContext& context);
void addVersionCommand(CLI::App& app, CliContext& context);
void addReadCommand(CLI::App& app, CliContext& context);
void addWriteCommand(CLI::App& app, CliContext& context);
void addVerifyCommand(CLI::App& app, CliContext& context);
void addPlanCommand(CLI::App& app, CliContext& context);
void addCompletionCommand(CLI::App& app, CliContext& context);

// Every command of the tool, in the order `wrenbolt --help` lists them.
inline constexpr CommandRegistration kCommands[] = {
    addDefaultsCommand,
    addShowCommand,
    addEncodeCommand,
    addPortsCommand,
    addVersionCommand,
    addReadCommand,
    addWriteCommand,
    addVerifyCommand,
    addPlanCommand,
    addCompletionCommand,
};

}  // namespace wb
