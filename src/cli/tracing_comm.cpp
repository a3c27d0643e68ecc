#include "cli/tracing_comm.h"

#include <cstdio>

namespace wb {
namespace {

std::string hexBytes(const std::uint8_t* bytes, std::uint32_t count) {
    std::string text;
    char cell[4];
    for (std::uint32_t i = 0; i < count; ++i) {
        std::snprintf(cell, sizeof cell, "%s%02X", i == 0 ? "" : " ", bytes[i]);
        text += cell;
    }
    return text;
}

const char* outcome(bool ok) { return ok ? "ok" : "FAILED"; }

}  // namespace

TracingComm::TracingComm(CommApi& inner, Clock& clock, std::ostream& log)
    : ForwardingComm(inner), clock_(clock), log_(log), startUs_(clock.nowUs()) {}

void TracingComm::line(const std::string& text) {
    const std::int64_t us = clock_.nowUs() - startUs_;
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%6lld.%06lld ", static_cast<long long>(us / 1000000),
                  static_cast<long long>(us % 1000000));
    log_ << stamp << text << '\n';
}

CommHandle TracingComm::openPort(const std::string& name) {
    const CommHandle handle = inner().openPort(name);
    line("open " + name + " " + outcome(handle != kInvalidCommHandle));
    return handle;
}

bool TracingComm::getLineSettings(CommHandle handle, LineSettings& settings) {
    const bool ok = inner().getLineSettings(handle, settings);
    line(std::string("get line settings ") + outcome(ok));
    return ok;
}

bool TracingComm::setLineSettings(CommHandle handle, const LineSettings& settings) {
    const bool ok = inner().setLineSettings(handle, settings);
    line("set line settings " + std::to_string(settings.baudRate) + " baud " + outcome(ok));
    return ok;
}

bool TracingComm::setTimeouts(CommHandle handle, const CommTimeouts& timeouts) {
    const bool ok = inner().setTimeouts(handle, timeouts);
    line(std::string("set time-outs ") + outcome(ok));
    return ok;
}

bool TracingComm::writeByte(CommHandle handle, std::uint8_t byte, std::uint32_t& written) {
    const bool ok = inner().writeByte(handle, byte, written);
    line("write " + hexBytes(&byte, 1) + (ok && written == 1 ? "" : " FAILED"));
    return ok;
}

bool TracingComm::readBytes(CommHandle handle, std::uint8_t* buffer, std::uint32_t count,
                            std::uint32_t& got) {
    const bool ok = inner().readBytes(handle, buffer, count, got);
    if (!ok) {
        line("read FAILED");
    } else if (got == 0) {
        line("read -");
    } else {
        line("read " + hexBytes(buffer, got < count ? got : count));
    }
    return ok;
}

bool TracingComm::closePort(CommHandle handle) {
    const bool ok = inner().closePort(handle);
    line(std::string("close ") + outcome(ok));
    return ok;
}

}  // namespace wb
