#include <memory>

#include "cli/cli_commands.h"
#include "cli/cli_options.h"

namespace wb {

void addDefaultsCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand("defaults", "Print the factory-default record");
    auto json = std::make_shared<bool>(false);
    addJsonFlag(*command, *json);
    command->callback([&context, json] { context.out << recordText(DeviceConfig{}, *json); });
}

}  // namespace wb
