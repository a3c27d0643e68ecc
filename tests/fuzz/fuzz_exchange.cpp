// The exchange facing a hostile peer: operations started, restarted and
// ticked in any order while the peer sends arbitrary bytes, answers with
// arbitrary texts, never stops, or the port refuses to open. Nothing may
// crash, no tick may read more than one drain's worth, the version reply
// stays bounded, and every operation ends within its tick count.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "config/beacon_device.h"
#include "exchange/device_exchange.h"
#include "exchange/protocol.h"
#include "image/model_table.h"
#include "serial/serial_port.h"
#include "support/scripted_comm.h"

namespace {

using namespace wb;

void require(bool condition, int line) {
    if (!condition) {
        std::fprintf(stderr, "broken invariant at line %d\n", line);
        std::abort();
    }
}
#define REQUIRE(condition) require((condition), __LINE__)

DeviceModel pickModel(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0: return DeviceModel::None;
        case 1: return kBasicModel;
        case 2: return kTarselModel;
        default: return static_cast<DeviceModel>(in.ConsumeIntegral<std::int32_t>());
    }
}

std::int32_t boundFor(ExchangeState first) {
    switch (first) {
        case ExchangeState::ReadVersion: return kMaxReadVersionTicks;
        case ExchangeState::VersionForRead: return kMaxReadConfigTicks;
        default: return kMaxWriteConfigTicks;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    test::ScriptedComm comm;
    bool openAllowed = true;
    comm.openAllowed = [&openAllowed](int) { return openAllowed; };
    SerialPort port(comm);
    BeaconDevice device;
    CodecContext codec{in.ConsumeBool(), [] {}};

    std::int32_t ticksSinceStart = 0;
    std::int32_t bound = 0;
    // A command counts the ticks afresh. One whose open failed leaves the
    // operation under way running, with its attempts counted anew (the
    // command resets retryCount), so it gets the widest bound.
    const auto started = [&](int opensBefore, ExchangeState first) {
        if (!exchangeBusy(device)) return;
        ticksSinceStart = 0;
        bound = comm.opens > opensBefore && comm.open ? boundFor(first) : kMaxWriteConfigTicks;
    };

    for (int step = 0; step < 400 && in.remaining_bytes() > 0; ++step) {
        switch (in.ConsumeIntegralInRange(0, 9)) {
            case 0: {
                const ExchangeState first = static_cast<ExchangeState>(in.ConsumeIntegralInRange(1, 3));
                const int before = comm.opens;
                device.retryCount = 0;
                startOperation(device, port, first);
                started(before, first);
                break;
            }
            case 1: {
                device.config.model = pickModel(in);
                device.config.morseText = in.ConsumeRandomLengthString(80);
                device.config.morseSpeedWpm = in.ConsumeIntegral<std::int32_t>();
                device.config.toneCount = in.ConsumeIntegral<std::int32_t>();
                const int before = comm.opens;
                prepareWrite(device, port, codec);
                started(before, ExchangeState::VersionForWrite);
                break;
            }
            case 2:
                comm.queue(in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange(0, 700)));
                break;
            case 3:
                comm.versionAnswer = in.ConsumeRandomLengthString(64);
                break;
            case 4:
                comm.imageAnswer = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange(0, 400));
                break;
            case 5:
                comm.endlessPattern = in.ConsumeBool() ? in.ConsumeRandomLengthString(40) : "";
                break;
            case 6:
                openAllowed = in.ConsumeBool();
                break;
            case 7:
                comm.answerWithStored = in.ConsumeBool();
                break;
            default: {
                const int ticks = in.ConsumeIntegralInRange(1, 40);
                for (int t = 0; t < ticks; ++t) {
                    const bool busy = exchangeBusy(device);
                    const int readsBefore = comm.reads;
                    const bool refresh = pollTick(device, port);
                    REQUIRE(comm.reads - readsBefore <= kMaxBytesPerDrain);
                    REQUIRE(device.versionReply.size() <= kMaxVersionReplyBytes);
                    REQUIRE(busy || !refresh);
                    if (busy) {
                        ++ticksSinceStart;
                        REQUIRE(!exchangeBusy(device) || ticksSinceStart < bound);
                    }
                }
                break;
            }
        }
    }
    return 0;
}
