#pragma once

#include <memory>

namespace wb {

// The user's requests to stop a command: Ctrl-C, SIGTERM and a hang-up (SIGHUP) on POSIX,
// Ctrl-C and Ctrl-Break on Windows. Tests put in their own.
class InterruptSource {
public:
    virtual ~InterruptSource() = default;
    // Requests since this source was made; it only ever rises.
    virtual int count() const = 0;
};

// Catches the console's interrupts from now until the returned object is
// destroyed, when the handling that was there before comes back. The
// handler only counts; the program looks at the count between bytes and
// ticks. An interrupt the parent process made the program ignore stays
// ignored.
std::unique_ptr<InterruptSource> catchConsoleInterrupts();

// After a command that an interrupt stopped: ends the process by that
// signal, as shells expect of a program stopped by Ctrl-C (a script then
// stops too). Returns where the platform has no such ending; the caller
// then exits with kExitInterrupted.
void endByCaughtInterrupt();

}  // namespace wb
