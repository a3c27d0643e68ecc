#include <iostream>

#include "cli/cli_app.h"
#include "cli/console_interrupts.h"

int main(int argc, char** argv) {
    const int code = wb::runCli(argc, argv, std::cout, std::cerr);
    if (code == wb::kExitInterrupted) {
        // Ending by the signal skips the normal exit's flushing.
        std::cout.flush();
        wb::endByCaughtInterrupt();
    }
    return code;
}
