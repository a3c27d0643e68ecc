#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_app.h"
#include "cli/console_interrupts.h"

namespace wb {
// The simulator's "sim:MODEL" ports. Defined in the
// simulator library, which this program links for them; the CLI library
// itself never includes the simulator.
std::shared_ptr<CommApi> openSimPort(const std::string& portName, Clock& clock);
bool isSimPortName(std::string_view name);
std::string simPortNamesText();
const std::vector<std::string>& simPortModelNames();
}  // namespace wb

int main(int argc, char** argv) {
    wb::CliContext context{std::cout, std::cerr};
    context.namedLinks = wb::openSimPort;
    context.isNamedLink = [](const std::string& name) { return wb::isSimPortName(name); };
    context.namedLinkPrefix = "sim:";
    context.namedLinkNames = wb::simPortNamesText();
    context.namedLinkChoices = wb::simPortModelNames();
    const int code = wb::runCli(argc, argv, context);
    if (code == wb::kExitInterrupted) {
        // Ending by the signal skips the normal exit's flushing.
        std::cout.flush();
        wb::endByCaughtInterrupt();
    }
    return code;
}
