#include <memory>

#include "cli/cli_commands.h"
#include "serial/port_list.h"

namespace wb {

// Lists the machine's serial ports without opening any: opening a port to
// see whether it answers can stall for seconds on Bluetooth serial ports.
// With the hidden --names (for the shell completions): every name --port
// takes, one a line, the simulated ports' too.
void addPortsCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand("ports", "List the serial ports of this machine");
    auto names = std::make_shared<bool>(false);
    command->add_flag("--names", *names, "Only the names, and the simulated ports'")->group("");
    command->callback([&context, names] {
        const auto ports = listSerialPorts();
        if (*names) {
            for (const auto& port : ports) {
                context.out << port.name << '\n';
                if (!port.alias.empty()) context.out << port.alias << '\n';
            }
            for (const auto& name : context.namedLinkChoices) context.out << name << '\n';
            return;
        }
        if (ports.empty()) {
            context.err << "No serial ports found\n";
            return;
        }
        for (const auto& line : formatPortListings(ports)) context.out << line << '\n';
    });
}

}  // namespace wb
