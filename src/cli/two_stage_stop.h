#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "cli/console_interrupts.h"

namespace wb {

// Where a command stands with the user's interrupts.
enum class StopStage {
    Running,     // no interrupt yet
    AfterWrite,  // one came while image bytes went out: the write runs to
                 // its end (read-back included), nothing starts after it
    Now,         // stop at the next byte or tick
};

// The two-stage Ctrl-C of every command that writes to a beacon. The
// beacon stores each image byte as it arrives, so a write cut short leaves
// it with the start of the new image and the rest of the old one. While
// image bytes go out, a first interrupt therefore only warns and lets the
// write finish; a second one stops anyway. Outside that phase an interrupt
// stops at once. One object can serve a whole command, so a command that
// writes several beacons in turn stops after the write under way.
class TwoStageStop {
public:
    // null: the console's own interrupts, caught while this object lives.
    explicit TwoStageStop(InterruptSource* source = nullptr);

    // Takes in the interrupts that came since the last call. True when one
    // has just moved the stage to AfterWrite: the caller warns the user.
    bool update(bool sendingImage);
    StopStage stage() const { return stage_; }

private:
    std::unique_ptr<InterruptSource> own_;
    InterruptSource* source_;
    int seen_ = 0;
    StopStage stage_ = StopStage::Running;
};

// Seconds the rest of the image takes at the exchange's pacing, rounded,
// at least 1.
std::int32_t secondsToFinishImage(std::int32_t bytesWritten);

// What the user is told: at the first interrupt of a write, after a write
// that an interrupt let finish, and when a command was stopped. The
// restore hint names the backup taken before the write, if there is one,
// with --no-limit when writing it back needs the TX limit lifted.
std::string halfWrittenWarning(std::int32_t bytesWritten);
inline constexpr const char* kFinishedBeforeStopping = "Write finished and verified before stopping.";
std::string stoppedReport(std::int32_t bytesWritten, const std::string& portName,
                          const std::string& backupPath, bool noLimit = false);
// The same for a write cut short another way, `how` leading ("Port lost").
std::string cutWriteReport(std::string_view how, std::int32_t bytesWritten, const std::string& portName,
                           const std::string& backupPath, bool noLimit = false);

// A word as a shell takes it back: bare when it can be, quoted otherwise.
std::string shellWord(const std::string& word);

}  // namespace wb
