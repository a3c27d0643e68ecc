#include <memory>

#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "cli/file_roles.h"
#include "cli/record_source.h"
#include "config/codec_context.h"
#include "config/record_fields.h"
#include "file/config_file.h"

namespace wb {
namespace {

struct EncodeOptions {
    std::string model;
    RecordSource source;
    std::string output;
};

}  // namespace

void addEncodeCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand(
        "encode", "Build a record from the factory defaults, --config and --set, and save it as a .wb1 file");
    auto options = std::make_shared<EncodeOptions>();
    addModelOption(*command, options->model);
    addRecordSourceOptions(*command, options->source);
    command->add_option("-o,--output", options->output, ".wb1 file to write")->required();
    command->footer("--model decides the layout; a model key of --config or --set is overridden by it.");
    command->callback([&context, options] {
        refuseSharedFiles({{"--config", options->source.configPath}, {"-o", options->output}});
        readRecordSource(options->source);
        BeaconDevice device;
        device.config.model = *modelFromName(options->model);
        device.config = editedRecord(options->source, device.config);

        CodecContext codec;
        codec.noLimit = options->source.noLimit;
        // Save goes on with the shortened image, as the dialog does once
        // the notice is dismissed.
        codec.showTruncationNotice = [&context] {
            context.err << kTruncationCaption << ": " << kTruncationText << '\n';
        };
        saveConfigFile(device, options->output, codec);
        if (exitCodeFor(device.outcome) != kExitOk) {
            context.err << device.statusText << '\n';
            context.exitCode = kExitFailed;
        }
    });
}

}  // namespace wb
