#pragma once

#include <cstdint>

#include "clock/clock.h"

namespace wb {

// Simulated time: moves only when told to, by a pause of the code under
// test (sleepUs) or by the test itself (advanceUs). The simulated link
// and the tests run on it; demos and the pty server run on SteadyClock.
class VirtualClock : public Clock {
public:
    explicit VirtualClock(std::int64_t startUs = 0) : now_(startUs) {}
    std::int64_t nowUs() override { return now_; }
    void sleepUs(std::int64_t us) override { advanceUs(us); }
    void advanceUs(std::int64_t us) {
        if (us > 0) now_ += us;
    }

private:
    std::int64_t now_;
};

}  // namespace wb
