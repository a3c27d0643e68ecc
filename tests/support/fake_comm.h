#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "serial/comm_api.h"

namespace wb::test {

// A CommApi that records every call in order and fails whichever step a
// test asks for. Handles are handed out 100, 101, ... so a test can tell a
// reopened port from the old one.
class FakeComm : public CommApi {
public:
    enum class Op { Open, GetState, SetState, SetTimeouts, WriteByte, Read, Close, Sleep };

    struct Call {
        Op op;
        CommHandle handle = kInvalidCommHandle;
        std::string name;          // Open
        std::uint32_t value = 0;   // the byte written, bytes asked to read, or the pause
    };

    // Failure switches.
    bool failOpen = false;
    bool failGetState = false;
    bool failSetState = false;
    bool failSetTimeouts = false;
    bool failClose = false;
    bool failRead = false;
    std::set<int> failWriteAt;     // indices of writeByte calls that fail
    std::set<int> shortWriteAt;    // indices that succeed with 0 bytes written

    // What the device reports as its current line settings.
    LineSettings deviceSettings;
    // Bytes the device has waiting for a read.
    std::deque<std::uint8_t> incoming;

    // What was applied.
    std::vector<LineSettings> appliedSettings;
    std::vector<CommTimeouts> appliedTimeouts;
    std::vector<Call> calls;
    // Runs at every pause, so a test can look at the port mid-write.
    std::function<void()> onSleep;

    CommHandle openPort(const std::string& name) override {
        calls.push_back({Op::Open, kInvalidCommHandle, name, 0});
        if (failOpen) return kInvalidCommHandle;
        return nextHandle_++;
    }
    bool getLineSettings(CommHandle handle, LineSettings& settings) override {
        calls.push_back({Op::GetState, handle, {}, 0});
        if (failGetState) return false;
        settings = deviceSettings;
        return true;
    }
    bool setLineSettings(CommHandle handle, const LineSettings& settings) override {
        calls.push_back({Op::SetState, handle, {}, 0});
        if (failSetState) return false;
        appliedSettings.push_back(settings);
        return true;
    }
    bool setTimeouts(CommHandle handle, const CommTimeouts& timeouts) override {
        calls.push_back({Op::SetTimeouts, handle, {}, 0});
        if (failSetTimeouts) return false;
        appliedTimeouts.push_back(timeouts);
        return true;
    }
    bool writeByte(CommHandle handle, std::uint8_t byte, std::uint32_t& written) override {
        const int index = writeIndex_++;
        calls.push_back({Op::WriteByte, handle, {}, byte});
        if (failWriteAt.count(index) != 0) return false;
        written = shortWriteAt.count(index) != 0 ? 0 : 1;
        return true;
    }
    bool readBytes(CommHandle handle, std::uint8_t* buffer, std::uint32_t count,
                   std::uint32_t& got) override {
        calls.push_back({Op::Read, handle, {}, count});
        if (failRead) return false;
        got = 0;
        while (got < count && !incoming.empty()) {
            buffer[got++] = incoming.front();
            incoming.pop_front();
        }
        return true;
    }
    bool closePort(CommHandle handle) override {
        calls.push_back({Op::Close, handle, {}, 0});
        return !failClose;
    }
    void sleepMs(std::uint32_t milliseconds) override {
        calls.push_back({Op::Sleep, kInvalidCommHandle, {}, milliseconds});
        if (onSleep) onSleep();
    }

    std::vector<Op> ops() const {
        std::vector<Op> out;
        for (const auto& c : calls) out.push_back(c.op);
        return out;
    }
    int count(Op op) const {
        int n = 0;
        for (const auto& c : calls) n += c.op == op ? 1 : 0;
        return n;
    }
    std::uint64_t totalPauseMs() const {
        std::uint64_t total = 0;
        for (const auto& c : calls) total += c.op == Op::Sleep ? c.value : 0;
        return total;
    }

private:
    CommHandle nextHandle_ = 100;
    int writeIndex_ = 0;
};

}  // namespace wb::test
