#include "cli/cli_app.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <string>

#include <CLI/CLI.hpp>

#include "cli/cli_commands.h"
#include "cli/usage_error.h"

namespace wb {
namespace {

// The result is only delivered once it is out of the buffers: a full disk
// or a closed pipe shows at the flush, if not before.
// A stream that failed earlier is flushed once more, so that errno says why
// (the failed write's errno is long gone); it stays a failure either way.
int deliverOutput(CliContext& context, int exitCode) {
    const bool failedBefore = !context.out;
    context.out.clear();
    errno = 0;
    context.out.flush();
    if (!failedBefore && context.out) return exitCode;
    const int cause = errno;
    context.err << "Could not write the output";
    if (cause != 0) context.err << ": " << std::strerror(cause);
    context.err << '\n';
    return exitCode == kExitOk ? kExitFailed : exitCode;
}

int parseAndRun(CLI::App& app, int argc, const char* const* argv, CliContext& context);

}  // namespace

int runCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CliContext context{out, err};
    return runCli(argc, argv, context);
}

int runCli(int argc, const char* const* argv, CliContext& context) {
    CLI::App app{"Reads, edits and writes the configuration of Wrenbolt beacons.", "wrenbolt"};
    app.require_subcommand(0, 1);
    app.set_version_flag("--version", "wrenbolt " WB_VERSION);
    app.footer("Exit codes: 0 success, 1 the operation failed, 2 usage error, 130 stopped by Ctrl-C.\n"
               "WRENBOLT_PORT: the port of the device commands when --port is not given.");
    for (CommandRegistration add : kCommands) add(app, context);

    // CLI11 would only say that a command is required.
    if (argc > 1 && argv[1][0] != '-') {
        const std::string name = argv[1];
        const auto known = app.get_subcommands([&name](CLI::App* command) { return command->check_name(name); });
        if (known.empty()) {
            context.err << "Unknown command \"" << name << "\"\nRun with --help for the list of commands.\n";
            return kExitUsage;
        }
    }

    return deliverOutput(context, parseAndRun(app, argc, argv, context));
}

namespace {

int parseAndRun(CLI::App& app, int argc, const char* const* argv, CliContext& context) {
    context.exitCode = kExitOk;
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help comes here too, with exit code 0.
        return app.exit(e, context.out, context.err) == 0 ? kExitOk : kExitUsage;
    } catch (const UsageError& e) {
        context.err << e.what() << '\n';
        return kExitUsage;
    } catch (const std::exception& e) {
        context.err << "wrenbolt: " << e.what() << '\n';
        return kExitFailed;
    }
    // Checked here rather than by CLI11, whose check comes before it names
    // an unknown option.
    if (app.get_subcommands().empty()) {
        context.err << "A command is required\nRun with --help for the list of commands.\n";
        return kExitUsage;
    }
    return context.exitCode;
}

}  // namespace
}  // namespace wb
