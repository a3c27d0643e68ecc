#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/cli_context.h"
#include "cli/device_session.h"
#include "cli/file_roles.h"
#include "cli/usage_error.h"
#include "config/config_image.h"
#include "config/device_config.h"

namespace wb {

// Where write, verify and encode take their record from: --config FILE.json,
// then each --set KEY=VALUE in order, over a starting record (the beacon's,
// a .wb1 file's or the factory defaults), stored with --no-limit.
struct RecordSource {
    std::string configPath;
    std::vector<std::string> settings;
    bool noLimit = false;
    std::string jsonText;  // the --config file, once read

    bool hasEdits() const { return !configPath.empty() || !settings.empty(); }
};

// Declares --config, --set and --no-limit; returns --config, which a
// command's file argument excludes.
CLI::Option* addRecordSourceOptions(CLI::App& command, RecordSource& source);
// --no-limit alone, for a command that stores records from elsewhere (a plan).
CLI::Option* addNoLimitFlag(CLI::App& command, bool& noLimit);

// What write and verify take their record from, besides the device: a
// .wb1 file (the positional argument) or the record source.
struct RecordCommandOptions {
    DeviceCommandOptions device;
    std::string filePath;
    RecordSource source;
};
// The device options, the file (it excludes --config) and the record
// source's options.
void addRecordCommandOptions(CLI::App& command, RecordCommandOptions& options, const std::string& fileHelp);

// One run of write or verify. None of its files may be another: the input
// file, --config, `newFiles` (outputs that must not exist yet) and the
// trace. Every input (the record source, then the file, when there is one)
// is read before any output is opened, and bad edits are usage errors found
// before the beacon is touched. Then `step` runs in a device session with
// the file's image; its exit code is the command's.
using RecordStep = std::function<int(DeviceSession& session, const std::optional<ConfigImage>& fileImage)>;
int runWithRecordInput(CliContext& context, RecordCommandOptions& options, const std::vector<FileRole>& newFiles,
                       const RecordStep& step);

// What sets write and verify apart: their texts, whether a record must be
// given (a file, --config or --set), the outputs that must not exist yet,
// and the step in the device session.
template <class Options>
struct RecordCommand {
    const char* name;
    const char* description;
    const char* fileHelp;
    bool needsRecord;
    std::vector<FileRole> (*newFiles)(const Options& options);
    int (*step)(CliContext& context, const Options& options, DeviceSession& session,
                const std::optional<ConfigImage>& fileImage);
};

// Declares the command with addRecordCommandOptions, run as
// runWithRecordInput runs. Returns the command and its options, for the
// rest.
template <class Options>
std::pair<CLI::App*, std::shared_ptr<Options>> addRecordCommand(CLI::App& app, CliContext& context,
                                                                const RecordCommand<Options>& declared) {
    auto* command = app.add_subcommand(declared.name, declared.description);
    auto options = std::make_shared<Options>();
    addRecordCommandOptions(*command, *options, declared.fileHelp);
    command->callback([&context, options, declared] {
        if (declared.needsRecord && options->filePath.empty() && !options->source.hasEdits()) {
            throw UsageError(std::string(declared.name) + " needs a .wb1 file, --config or --set");
        }
        const std::vector<FileRole> newFiles = declared.newFiles != nullptr ? declared.newFiles(*options)
                                                                         : std::vector<FileRole>{};
        context.exitCode = runWithRecordInput(
            context, *options, newFiles,
            [&](DeviceSession& session, const std::optional<ConfigImage>& fileImage) {
                return declared.step(context, *options, session, fileImage);
            });
    });
    return {command, options};
}

// Reads the --config file and tries the edits on the factory defaults, so
// that an unreadable file or a bad value is a usage error found before any
// port or output is opened.
void readRecordSource(RecordSource& source);

// `start` with the edits, its model kept. Throws UsageError for a bad
// value, and for an edited number that the model's layout cannot hold as
// given (naming its range); coarsening to the layout's step is no refusal,
// the dry run shows it.
DeviceConfig editedRecord(const RecordSource& source, const DeviceConfig& start);

}  // namespace wb
