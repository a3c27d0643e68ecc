#include <signal.h>

#include <atomic>
#include <iterator>

#include "cli/console_interrupts.h"

namespace wb {
namespace {

// A lock-free atomic is safe to touch from a signal handler.
std::atomic<int> gInterrupts{0};
std::atomic<int> gLastSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

std::atomic<int> gHungUp{0};

// A hang-up (the terminal closed, an SSH session dropped) counts as one
// Ctrl-C: a write under way finishes, then the command stops. Only its
// first counts, so repeats never turn it into a stop at once.
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void onInterrupt(int signal) {
    if (signal == SIGHUP && gHungUp.exchange(1) != 0) return;
    gLastSignal.store(signal);
    gInterrupts.fetch_add(1);
}

class PosixInterrupts : public InterruptSource {
public:
    PosixInterrupts() : start_(gInterrupts.load()) {
        struct sigaction action {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        // Restarted calls: a write to stderr must not fail because of it.
        // The serial waits poll with deadlines and see the count in time.
        action.sa_flags = SA_RESTART;
        for (std::size_t i = 0; i < std::size(kSignals); ++i) {
            sigaction(kSignals[i], nullptr, &previous_[i]);
            installed_[i] = previous_[i].sa_handler != SIG_IGN;
            if (installed_[i]) sigaction(kSignals[i], &action, nullptr);
        }
    }
    ~PosixInterrupts() override {
        for (std::size_t i = 0; i < std::size(kSignals); ++i) {
            if (installed_[i]) sigaction(kSignals[i], &previous_[i], nullptr);
        }
    }
    PosixInterrupts(const PosixInterrupts&) = delete;
    PosixInterrupts& operator=(const PosixInterrupts&) = delete;

    int count() const override { return gInterrupts.load() - start_; }

private:
    int start_;
    struct sigaction previous_[std::size(kSignals)] {};
    bool installed_[std::size(kSignals)] = {};
};

}  // namespace

std::unique_ptr<InterruptSource> catchConsoleInterrupts() { return std::make_unique<PosixInterrupts>(); }

void endByCaughtInterrupt() {
    const int signal = gLastSignal.load();
    if (signal == 0) return;
    ::signal(signal, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    raise(signal);
}

}  // namespace wb
