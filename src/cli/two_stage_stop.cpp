#include "cli/two_stage_stop.h"

#include <algorithm>
#include <string_view>

#include "cli/exchange_driver.h"
#include "config/config_image.h"
#include "exchange/exchange_texts.h"
#include "exchange/protocol.h"

namespace wb {

namespace {
constexpr auto kImageBytes = static_cast<std::int32_t>(kImageSize);
}

TwoStageStop::TwoStageStop(InterruptSource* source) : source_(source) {
    if (source_ == nullptr) {
        own_ = catchConsoleInterrupts();
        source_ = own_.get();
    }
}

bool TwoStageStop::update(bool sendingImage) {
    bool deferred = false;
    for (const int count = source_->count(); seen_ < count; ++seen_) {
        if (stage_ == StopStage::Running && sendingImage) {
            stage_ = StopStage::AfterWrite;
            deferred = true;
        } else {
            stage_ = StopStage::Now;
        }
    }
    // Two at once: the second stops anyway, and the warning is moot.
    return deferred && stage_ == StopStage::AfterWrite;
}

std::int32_t secondsToFinishImage(std::int32_t bytesWritten) {
    const std::int32_t left = std::clamp(kImageBytes - bytesWritten, 0, kImageBytes);
    // The chunk under way goes on at once; each further chunk takes a tick,
    // or longer when its paced bytes outlast the tick.
    constexpr std::int64_t pauseUs = std::int64_t{kChunkPauseMs} * 1000;
    constexpr std::int64_t chunkUs = std::max<std::int64_t>(kChunkSize * pauseUs, kTickPeriodUs);
    const std::int64_t us = (left % kChunkSize) * pauseUs + (left / kChunkSize) * chunkUs;
    return std::max<std::int32_t>(1, static_cast<std::int32_t>((us + 500000) / 1000000));
}

std::string halfWrittenWarning(std::int32_t bytesWritten) {
    return "Stopping now would leave the beacon half-written (" + std::to_string(bytesWritten) + " of " +
           std::to_string(kImageBytes) + " bytes written).\nThe write finishes in about " +
           std::to_string(secondsToFinishImage(bytesWritten)) +
           " seconds; press Ctrl-C again to stop anyway.";
}

std::string stoppedReport(std::int32_t bytesWritten, const std::string& portName,
                          const std::string& backupPath, bool noLimit) {
    return cutWriteReport("Stopped", bytesWritten, portName, backupPath, noLimit);
}

std::string cutWriteReport(std::string_view how, std::int32_t bytesWritten, const std::string& portName,
                           const std::string& backupPath, bool noLimit) {
    if (!exchange_text::mixedImage(bytesWritten)) return exchange_text::cutWrite(how, bytesWritten);
    std::string text = exchange_text::cutWrite(how, bytesWritten) + '\n';
    if (backupPath.empty()) {
        return text + "No backup was made: write a whole configuration again (the same command, "
                      "or a .wb1 file) to make it consistent.";
    }
    return text + "To restore it: wrenbolt write --port " + shellWord(portName) + (noLimit ? " --no-limit " : " ") +
           shellWord(backupPath);
}

std::string shellWord(const std::string& word) {
    const auto plain = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               std::string_view("_-./:@%+=,\\").find(c) != std::string_view::npos;
    };
    if (!word.empty() && std::all_of(word.begin(), word.end(), plain)) return word;
    // Double quotes mean the same to cmd.exe and to a POSIX shell as long as
    // nothing inside is special to the latter.
    if (word.find_first_of("\"$`!") == std::string::npos && word.back() != '\\') return '"' + word + '"';
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace wb
