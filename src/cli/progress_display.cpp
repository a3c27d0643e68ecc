#include "cli/progress_display.h"

#include <algorithm>
#include <cstdio>

#include "config/config_image.h"
#include "exchange/device_operations.h"
#include "util/shown_text.h"

namespace wb {

ProgressDisplay::ProgressDisplay(std::ostream& out, Mode mode, Clock& clock)
    : out_(out), mode_(mode), clock_(clock) {}

void ProgressDisplay::update(const BeaconDevice& device) {
    if (mode_ == Mode::Quiet || device.statusText == shown_) return;
    const bool writing = writingImage(device);
    // A message in the middle of the bar ends its line; the bar goes on
    // below it with the time counted from the write's start.
    if (writing && !writing_) writeStartUs_ = clock_.nowUs();
    writing_ = writing;
    if (writing && mode_ == Mode::Terminal) {
        shown_ = device.statusText;
        drawBar(device);
        return;
    }
    finish();
    shown_ = device.statusText;
    out_ << shownStatusText(shown_) << '\n' << std::flush;
}

void ProgressDisplay::drawBar(const BeaconDevice& device) {
    constexpr int kWidth = 32;
    const int sent = std::clamp(device.images.writePosition, 0, static_cast<int>(kImageSize));
    const int percent = sent * 100 / static_cast<int>(kImageSize);
    const int filled = sent * kWidth / static_cast<int>(kImageSize);
    const double seconds = static_cast<double>(clock_.nowUs() - writeStartUs_) / 1e6;
    char tail[48];
    std::snprintf(tail, sizeof tail, "] %3d%%  %5.1f s", percent, seconds);
    out_ << "\rWriting Config [" << std::string(static_cast<std::size_t>(filled), '#')
         << std::string(static_cast<std::size_t>(kWidth - filled), '.') << tail << std::flush;
    barOpen_ = true;
}

void ProgressDisplay::finish() {
    if (!barOpen_) return;
    out_ << '\n' << std::flush;
    barOpen_ = false;
}

}  // namespace wb
