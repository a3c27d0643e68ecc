#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "serial/comm_api.h"

namespace wb::test {

// A peer that answers from a script, byte for byte: the version request
// queues `versionAnswer`, the read request queues `imageAnswer`. Opens can
// be refused by number, and the peer can be made to send without end.
// Every byte written is recorded with the pause that followed it.
class ScriptedComm : public CommApi {
public:
    struct Written {
        std::uint8_t byte;
        std::uint32_t pauseMs;
    };

    std::string versionAnswer;
    std::vector<std::uint8_t> imageAnswer;
    // When set, every read yields the next byte of this text, round and round.
    std::string endlessPattern;
    // The read request answers with what the last write request stored.
    bool answerWithStored = false;
    std::vector<std::uint8_t> stored;
    // Opens counted from 1; return false to refuse that open.
    std::function<bool(int)> openAllowed = [](int) { return true; };

    int opens = 0;
    int closes = 0;
    int reads = 0;
    bool open = false;
    std::vector<Written> written;
    std::deque<std::uint8_t> incoming;
    // Time a real line would have taken: 103 ms per empty read, about
    // 4.17 ms per byte received, and every pause.
    std::int64_t elapsedUs = 0;

    void queue(const std::string& text) { incoming.insert(incoming.end(), text.begin(), text.end()); }
    void queue(const std::vector<std::uint8_t>& bytes) { incoming.insert(incoming.end(), bytes.begin(), bytes.end()); }

    std::vector<std::uint8_t> writtenBytes() const {
        std::vector<std::uint8_t> bytes;
        for (const Written& w : written) bytes.push_back(w.byte);
        return bytes;
    }

    CommHandle openPort(const std::string&) override {
        ++opens;
        if (!openAllowed(opens)) return kInvalidCommHandle;
        open = true;
        previous_ = 0;
        ignore_ = 0;
        return 7;
    }
    bool getLineSettings(CommHandle, LineSettings&) override { return true; }
    bool setLineSettings(CommHandle, const LineSettings&) override { return true; }
    bool setTimeouts(CommHandle, const CommTimeouts&) override { return true; }
    bool writeByte(CommHandle, std::uint8_t byte, std::uint32_t& count) override {
        written.push_back({byte, 0});
        count = 1;
        if (ignore_ > 0) {
            // the rest of a write request, then the image, kept as stored
            if (ignore_-- <= 256) stored.push_back(byte);
        } else if (previous_ == 0x1B && byte == 'V') {
            queue(versionAnswer);
        } else if (previous_ == 0x1B && byte == 'U') {
            queue(answerWithStored ? stored : imageAnswer);
        } else if (previous_ == 0x1B && byte == 'D') {
            ignore_ = 2 + 256;
            stored.clear();
        }
        previous_ = byte;
        return true;
    }
    bool readBytes(CommHandle, std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got) override {
        ++reads;
        got = 0;
        if (count == 0) return true;
        if (!endlessPattern.empty()) {
            buffer[0] = static_cast<std::uint8_t>(endlessPattern[endlessAt_++ % endlessPattern.size()]);
        } else if (open && !incoming.empty()) {
            buffer[0] = incoming.front();
            incoming.pop_front();
        } else {
            elapsedUs += 103000;
            return true;
        }
        elapsedUs += 4167;
        got = 1;
        return true;
    }
    bool closePort(CommHandle) override {
        ++closes;
        open = false;
        return true;
    }
    void sleepMs(std::uint32_t ms) override {
        elapsedUs += std::int64_t{ms} * 1000;
        if (!written.empty()) written.back().pauseMs = ms;
    }

private:
    std::size_t endlessAt_ = 0;
    std::uint8_t previous_ = 0;
    int ignore_ = 0;
};

}  // namespace wb::test
