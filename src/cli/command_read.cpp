#include <memory>

#include "cli/cli_commands.h"
#include "cli/device_session.h"
#include "cli/raw_image_file.h"
#include "cli/record_table.h"
#include "config/record_json.h"

namespace wb {

void addReadCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand("read", "Read the beacon's configuration (Read Config)");
    struct Options {
        DeviceCommandOptions device;
        std::string outputPath;
        bool json = false;
    };
    auto options = std::make_shared<Options>();
    addDeviceOptions(*command, options->device);
    command->add_option("-o,--output", options->outputPath,
                        "Also save the image exactly as read to this .wb1 file");
    command->add_flag("--json", options->json, "Print one JSON object instead of the table");
    command->callback([&context, options] {
        DeviceSession session(context, options->device);
        if (!session.ready()) {
            context.exitCode = kExitFailed;
            return;
        }
        session.run(ExchangeState::VersionForRead);
        if (exitCodeFor(session.device.outcome) != kExitOk) {
            context.exitCode = session.fail();
            return;
        }
        if (!options->outputPath.empty() &&
            !saveRawImageFile(options->outputPath, session.device.images.incomingImage)) {
            context.err << "Could not write " << options->outputPath << '\n';
            context.exitCode = kExitFailed;
            return;
        }
        const DeviceConfig& config = session.device.config;
        context.out << (options->json ? recordToJsonText(config) : recordTable(config));
        context.exitCode = kExitOk;
    });
}

}  // namespace wb
