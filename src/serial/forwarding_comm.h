#pragma once

#include "serial/comm_api.h"

namespace wb {

// A link that hands every call on to another: the base of links that
// change only a few of them (watching, tracing, refusing).
class ForwardingComm : public CommApi {
public:
    explicit ForwardingComm(CommApi& inner) : inner_(inner) {}

    CommHandle openPort(const std::string& name) override { return inner_.openPort(name); }
    OpenFailure lastOpenFailure() const override { return inner_.lastOpenFailure(); }
    IoFailure lastIoFailure() const override { return inner_.lastIoFailure(); }
    bool getLineSettings(CommHandle handle, LineSettings& settings) override {
        return inner_.getLineSettings(handle, settings);
    }
    bool setLineSettings(CommHandle handle, const LineSettings& settings) override {
        return inner_.setLineSettings(handle, settings);
    }
    bool setTimeouts(CommHandle handle, const CommTimeouts& timeouts) override {
        return inner_.setTimeouts(handle, timeouts);
    }
    bool writeByte(CommHandle handle, std::uint8_t byte, std::uint32_t& written) override {
        return inner_.writeByte(handle, byte, written);
    }
    bool readBytes(CommHandle handle, std::uint8_t* buffer, std::uint32_t count, std::uint32_t& got) override {
        return inner_.readBytes(handle, buffer, count, got);
    }
    bool closePort(CommHandle handle) override { return inner_.closePort(handle); }
    void sleepMs(std::uint32_t milliseconds) override { inner_.sleepMs(milliseconds); }

protected:
    CommApi& inner() { return inner_; }
    const CommApi& inner() const { return inner_; }

private:
    CommApi& inner_;
};

}  // namespace wb
