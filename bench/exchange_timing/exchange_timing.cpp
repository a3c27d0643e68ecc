// Times Read Config and Write Config, as the CLI runs them (a 100 ms tick
// until Idle), against wrenbolt-beacon-sim on a pseudo-terminal at the
// pace of 2400 baud, and sets the median of several runs against the
// protocol floor: the time the tick counts, the read time-outs, the pauses
// and the transfer of the replies add up to. Prints figures; asserts
// nothing.
//
//   exchange_timing [--runs N] [--model basic|tarsel]

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/exchange_driver.h"
#include "clock/clock.h"
#include "exchange/device_exchange.h"
#include "exchange/protocol.h"
#include "serial/platform_comm.h"
#include "serial/serial_port.h"
#include "sim/server/server_process.h"
#include "sim/simulated_beacon.h"

namespace {

using namespace wb;

// The port's one-byte read gives up after 3 ms a byte plus 100 ms.
constexpr double kReadTimeoutMs = 103.0;
constexpr double kTickMs = static_cast<double>(kTickPeriodUs) / 1000.0;
constexpr double kByteMs = 10.0 * 1000.0 / 2400.0;  // 10 bits a byte at 2400 baud
constexpr double kImageBytes = static_cast<double>(kImageSize);
constexpr double kWindowTicks = kLastGatheringTick + 1;

// Seven collecting ticks; the first waits one tick period and for the
// reply to arrive (the request and the reply on the wire), each then
// waits one read time-out past the last byte, so the ticks overrun their
// period and follow one another at once.
double identifyFloorMs(std::size_t replyBytes) {
    const double replyDone = (2.0 + static_cast<double>(replyBytes)) * kByteMs;
    return std::max(kTickMs, replyDone) + kWindowTicks * kReadTimeoutMs;
}

// A request of n bytes with a pause after each, answered by the image: the
// first collecting tick follows at once and ends one time-out after the
// image's last byte.
double imageArrivalMs(double requestBytes, double pauseMs) {
    const double imageDone = (requestBytes - 1.0) * pauseMs + (1.0 + kImageBytes) * kByteMs;
    return std::max(requestBytes * pauseMs, imageDone) + kReadTimeoutMs;
}

double readConfigFloorMs(std::size_t replyBytes) {
    return identifyFloorMs(replyBytes) + imageArrivalMs(2, kRequestPauseMs) +
           (kWindowTicks - 1.0) * kReadTimeoutMs;
}

// Identification, the write request, eight chunks of 32 paced bytes, the
// read request on the ninth tick, and the read-back drained on the tenth.
double writeConfigFloorMs(std::size_t replyBytes) {
    return identifyFloorMs(replyBytes) + 4.0 * kRequestPauseMs +
           kChunkCount * kChunkSize * static_cast<double>(kChunkPauseMs) +
           imageArrivalMs(2, kRequestPauseMs);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// Runs one operation to Idle; the wall time in ms, or a negative value
// when it did not end with the expected outcome.
template <typename Start>
double timeOperation(BeaconDevice& device, SerialPort& port, SteadyClock& clock, Start start,
                     Outcome success) {
    const auto began = std::chrono::steady_clock::now();
    start();
    runUntilIdle(device, port, clock, nullptr);
    const auto took = std::chrono::steady_clock::now() - began;
    if (device.outcome != success) {
        std::fprintf(stderr, "  run failed: %s\n", device.statusText.c_str());
        return -1.0;
    }
    return std::chrono::duration<double, std::milli>(took).count();
}

void report(const char* name, const std::vector<double>& runs, double floorMs) {
    if (runs.empty()) {
        std::printf("%-13s no successful run\n", name);
        return;
    }
    const double med = median(runs);
    const auto [lo, hi] = std::minmax_element(runs.begin(), runs.end());
    std::printf("%-13s runs %zu  median %7.1f ms  (min %7.1f, max %7.1f)  floor %7.1f ms  ratio %.3f\n",
                name, runs.size(), med, *lo, *hi, floorMs, med / floorMs);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 5;
    std::string model = "tarsel";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--model") == 0) model = argv[i + 1];
    }
    const std::size_t replyBytes =
        (model == "basic" ? kBasicVersionText : kTarselVersionText).size();

    ServerProcess server({"--model", model});
    if (server.slavePath().empty()) {
        std::fprintf(stderr, "could not start %s\n", beaconSimPath());
        return 1;
    }
    std::printf("exchange timing: %s beacon on %s, %d runs each\n", model.c_str(),
                server.slavePath().c_str(), runs);

    auto comm = makePlatformComm();
    SerialPort port(*comm);
    port.setPortName(server.slavePath());
    SteadyClock clock;
    BeaconDevice device;
    const CodecContext codec;

    std::vector<double> reads;
    std::vector<double> writes;
    for (int run = 0; run < runs; ++run) {
        const double readMs = timeOperation(
            device, port, clock,
            [&] {
                device.retryCount = 0;
                startOperation(device, port, ExchangeState::VersionForRead);
            },
            Outcome::ConfigRead);
        if (readMs >= 0) reads.push_back(readMs);
        // Alternate two speeds so that every write really changes the image.
        device.config.morseSpeedWpm = run % 2 == 0 ? 12 : 20;
        const double writeMs = timeOperation(
            device, port, clock, [&] { prepareWrite(device, port, codec); },
            Outcome::ConfigWritten);
        if (writeMs >= 0) writes.push_back(writeMs);
    }
    server.stop(SIGTERM);

    report("Read Config", reads, readConfigFloorMs(replyBytes));
    report("Write Config", writes, writeConfigFloorMs(replyBytes));
    return reads.size() == static_cast<std::size_t>(runs) && writes.size() == static_cast<std::size_t>(runs)
               ? 0
               : 1;
}
