#include <memory>

#include "cli/cli_commands.h"
#include "cli/record_json.h"
#include "cli/record_table.h"

namespace wb {

void addDefaultsCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand("defaults", "Print the factory-default record");
    auto json = std::make_shared<bool>(false);
    command->add_flag("--json", *json, "Print one JSON object instead of the table");
    command->callback([&context, json] {
        const DeviceConfig defaults;
        context.out << (*json ? recordToJsonText(defaults) : recordTable(defaults));
    });
}

}  // namespace wb
