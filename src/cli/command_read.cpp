#include <memory>

#include "cli/cli_commands.h"
#include "cli/device_session.h"
#include "cli/file_roles.h"
#include "cli/record_table.h"
#include "config/record_json.h"
#include "file/config_file.h"
#include "file/file_texts.h"

namespace wb {

namespace {

struct ReadOptions {
    DeviceCommandOptions device;
    std::string outputPath;
    bool json = false;
};

int readAndSave(CliContext& context, DeviceSession& session, const ReadOptions& options) {
    session.run(ExchangeState::VersionForRead);
    if (exitCodeFor(session.device.outcome) != kExitOk) return session.fail();
    if (!options.outputPath.empty()) {
        const Outcome saved = saveImageFile(options.outputPath, session.device.images.incomingImage);
        if (saved != Outcome::FileSaved) {
            context.err << fileOutcomeText(saved) << ": " << options.outputPath << '\n';
            return kExitFailed;
        }
    }
    const DeviceConfig& config = session.device.config;
    context.out << (options.json ? recordToJsonText(config) : recordTable(config));
    return kExitOk;
}

}  // namespace

void addReadCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand("read", "Read the beacon's configuration (Read Config)");
    auto options = std::make_shared<ReadOptions>();
    addDeviceOptions(*command, options->device);
    command->add_option("-o,--output", options->outputPath,
                        "Also save the image exactly as read to this .wb1 file");
    command->add_flag("--json", options->json, "Print one JSON object instead of the table");
    command->callback([&context, options] {
        refuseSharedFiles({{"-o", options->outputPath}, {"--trace", options->device.tracePath}});
        DeviceSession session(context, options->device);
        if (!session.ready()) {
            context.exitCode = kExitFailed;
            return;
        }
        context.exitCode = session.finish(readAndSave(context, session, *options));
    });
}

}  // namespace wb
