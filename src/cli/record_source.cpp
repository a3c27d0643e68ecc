#include "cli/record_source.h"

#include "cli/cli_options.h"
#include "cli/file_roles.h"
#include "cli/usage_error.h"
#include "config/record_json.h"
#include "image/held_values.h"

namespace wb {
namespace {

// The JSON file first, then each --set in order; the model stays.
void applyEdits(const RecordSource& source, DeviceConfig& config) {
    const DeviceModel model = config.model;
    if (!source.configPath.empty()) requireInput(applyJsonText(source.jsonText, config), "--config: ");
    for (const std::string& setting : source.settings) requireInput(applySetting(setting, config), "--set ");
    config.model = model;
}

}  // namespace

CLI::Option* addRecordSourceOptions(CLI::App& command, RecordSource& source) {
    auto* config = command.add_option("--config", source.configPath,
                                      "A JSON file of members to change (keys as `read --json` prints)");
    command.add_option("--set", source.settings, "Change one member: KEY=VALUE, after --config (repeatable)")
        ->allow_extra_args(false);
    addNoLimitFlag(command, source.noLimit);
    return config;
}

CLI::Option* addNoLimitFlag(CLI::App& command, bool& noLimit) {
    return command.add_flag("--no-limit", noLimit, "Lift the 144-148 MHz limit (/NOLIMIT)");
}

void addRecordCommandOptions(CLI::App& command, RecordCommandOptions& options, const std::string& fileHelp) {
    addDeviceOptions(command, options.device);
    auto* file = command.add_option("file", options.filePath, fileHelp);
    file->excludes(addRecordSourceOptions(command, options.source));
}

int runWithRecordInput(CliContext& context, RecordCommandOptions& options, const std::vector<FileRole>& newFiles,
                       const RecordStep& step) {
    std::vector<FileRole> roles{{"the input file", options.filePath}, {"--config", options.source.configPath}};
    roles.insert(roles.end(), newFiles.begin(), newFiles.end());
    roles.push_back({"--trace", options.device.tracePath});
    refuseSharedFiles(roles);
    for (const FileRole& role : newFiles) refuseExistingFile(role);
    readRecordSource(options.source);
    std::optional<ConfigImage> fileImage;
    if (!readImageArgument(options.filePath, context.err, fileImage)) return kExitFailed;
    DeviceSession session(context, options.device);
    if (!session.ready()) return kExitFailed;
    return session.finish(step(session, fileImage));
}

void readRecordSource(RecordSource& source) {
    source.jsonText = source.configPath.empty() ? "" : readInputText(source.configPath, "--config:");
    DeviceConfig scratch;
    applyEdits(source, scratch);
}

DeviceConfig editedRecord(const RecordSource& source, const DeviceConfig& start) {
    DeviceConfig edited = start;
    applyEdits(source, edited);
    const std::optional<std::string> unheld = unheldValue(edited, start, source.noLimit);
    if (!unheld) return edited;
    // Named by the input that gave the value last: a --set after --config.
    const std::string key = unheld->substr(0, unheld->find(':'));
    for (const std::string& setting : source.settings) {
        if (setting.starts_with(key + "=")) throw UsageError("--set " + *unheld);
    }
    throw UsageError("--config: " + *unheld);
}

}  // namespace wb
