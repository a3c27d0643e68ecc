#include <memory>

#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "config/record_fields.h"
#include "file/config_file.h"

namespace wb {
namespace {

struct ShowOptions {
    std::string file;
    std::string model;
    bool json = false;
};

}  // namespace

void addShowCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand("show", "Load a .wb1 file with a model's layout and print the record");
    auto options = std::make_shared<ShowOptions>();
    command->add_option("FILE", options->file, ".wb1 file to load")->required();
    addModelOption(*command, options->model);
    addJsonFlag(*command, options->json);
    command->callback([&context, options] {
        BeaconDevice device;
        device.config.model = *modelFromName(options->model);
        ConfigImage image{};
        const Outcome loaded = readImageInput(options->file, "The file", image);
        if (loaded == Outcome::FileLoaded) {
            useLoadedImage(device, image);
        } else {
            setOutcome(device, loaded, fileOutcomeText(loaded));
        }
        if (exitCodeFor(device.outcome) != kExitOk) {
            context.err << device.statusText << '\n';
            context.exitCode = kExitFailed;
            return;
        }
        context.out << recordText(device.config, options->json);
    });
}

}  // namespace wb
