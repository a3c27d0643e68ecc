#include <windows.h>

#include <atomic>

#include "cli/console_interrupts.h"

namespace wb {
namespace {

// The console runs the handler on a thread of its own: only count.
std::atomic<int> gInterrupts{0};

BOOL WINAPI onConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    gInterrupts.fetch_add(1);
    return TRUE;
}

class ConsoleInterrupts : public InterruptSource {
public:
    ConsoleInterrupts() : start_(gInterrupts.load()) {
        installed_ = SetConsoleCtrlHandler(onConsoleEvent, TRUE) != 0;
    }
    ~ConsoleInterrupts() override {
        if (installed_) SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    }
    ConsoleInterrupts(const ConsoleInterrupts&) = delete;
    ConsoleInterrupts& operator=(const ConsoleInterrupts&) = delete;

    int count() const override { return gInterrupts.load() - start_; }

private:
    int start_;
    bool installed_ = false;
};

}  // namespace

std::unique_ptr<InterruptSource> catchConsoleInterrupts() { return std::make_unique<ConsoleInterrupts>(); }

// A console program stopped by Ctrl-C has no signal to end by: the exit
// code says it.
void endByCaughtInterrupt() {}

}  // namespace wb
