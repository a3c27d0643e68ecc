#pragma once

#include <chrono>
#include <cstdint>
#include <thread>

namespace wb {

// Time as the simulated link sees it, in microseconds from an arbitrary
// start. Tests run on a VirtualClock so that every read time-out and pause
// is exact and takes no wall time; demos and the pty server run on real time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t nowUs() = 0;
    virtual void sleepUs(std::int64_t us) = 0;
};

// Moves only when told to: by a pause of the code under test (sleepUs) or
// by the test itself (advanceUs).
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

class SteadyClock : public Clock {
public:
    std::int64_t nowUs() override {
        return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now() - start_)
            .count();
    }
    void sleepUs(std::int64_t us) override {
        if (us > 0) std::this_thread::sleep_for(std::chrono::microseconds(us));
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace wb
