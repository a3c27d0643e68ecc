#pragma once

#include <chrono>
#include <cstdint>
#include <thread>

namespace wb {

// Time as the CLI's tick driver, its progress display and its trace see it,
// in microseconds from an arbitrary start. The program runs on SteadyClock;
// tests put the simulator's virtual clock in its place, so that every
// time-out and pause is exact and takes no wall time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t nowUs() = 0;
    virtual void sleepUs(std::int64_t us) = 0;
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
