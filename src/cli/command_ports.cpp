#include "cli/cli_commands.h"
#include "serial/port_list.h"

namespace wb {

// Lists the machine's serial ports without opening any: opening a port to
// see whether it answers can stall for seconds on Bluetooth serial ports.
void addPortsCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand("ports", "List the serial ports of this machine");
    command->callback([&context] {
        const auto ports = listSerialPorts();
        if (ports.empty()) {
            context.err << "No serial ports found\n";
            return;
        }
        for (const auto& line : formatPortListings(ports)) context.out << line << '\n';
    });
}

}  // namespace wb
