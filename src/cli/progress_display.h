#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "clock/clock.h"
#include "config/beacon_device.h"

namespace wb {

// Shows the exchange's progress on stderr: each status text once, as it
// changes. While the image goes out chunk by chunk a terminal gets one
// redrawn bar with percent and elapsed time; a pipe or file gets plain
// lines. Quiet shows nothing.
class ProgressDisplay {
public:
    enum class Mode { Quiet, Lines, Terminal };

    ProgressDisplay(std::ostream& out, Mode mode, Clock& clock);

    void update(const BeaconDevice& device);
    // Ends a bar still being drawn.
    void finish();
    // The status text last shown; empty when quiet.
    const std::string& shown() const { return shown_; }

private:
    void drawBar(const BeaconDevice& device);

    std::ostream& out_;
    Mode mode_;
    Clock& clock_;
    std::string shown_;
    bool barOpen_ = false;
    bool writing_ = false;
    std::int64_t writeStartUs_ = 0;
};

}  // namespace wb
