// Times Read Config and Write Config, as the CLI runs them (a 100 ms tick
// until Idle), against wrenbolt-beacon-sim on a pseudo-terminal at the
// pace of 2400 baud, and sets the median of several runs against the
// protocol floor: the time the tick counts, the read time-outs, the pauses
// and the transfer of the replies add up to. With --plan N it also runs a
// hunt plan of N beacons against the simulator's fleet and sets the time
// per beacon (identification, backup read, write, verification) against
// the floor of a Read Config and a Write Config, the removal check against
// one identification finding nobody, and the whole cycle from one verified
// write to the next against the per-beacon floor plus the fleet's swap.
// Prints figures; asserts nothing.
//
//   exchange_timing [--runs N] [--model basic|tarsel] [--plan N] [--audit N]

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
#include "plan/plan_check.h"
#include "plan/plan_audit.h"
#include "plan/plan_run.h"
#include "file/config_file.h"
#include "serial/platform_comm.h"
#include "serial/serial_port.h"
#include "sim/server/server_process.h"
#include "sim/simulated_beacon.h"
#include "sim/simulated_fleet.h"

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

// A plan's front end that keeps nothing: no files, no messages.
class QuietHost : public CycleHost {
public:
    bool saveBackup(const std::string& name, const ConfigImage&, std::string& path) override {
        path = name;
        return true;
    }
    std::string utcNow() override { return {}; }
    void message(const std::string&) override {}
    bool row(const PlanReportRow&) override { return true; }
};

double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// An identification that finds nobody: every collecting tick waits one
// read time-out for a byte that does not come. A failed attempt sends the
// next request on its last tick, whose successor follows at once.
double failedIdentifyFloorMs() {
    return identifyFloorMs(0) + (kMaxAttempts - 1) * kWindowTicks * kReadTimeoutMs;
}

// A plan of `count` beacons against a fleet. Per beacon: from the
// identification attempt that found it to its verified write. Removal: from
// that write to the identification that found the cable empty. Cycle: from
// one verified write to the next, which adds the fleet's empty cable and
// the wait for the first identification attempt after the next beacon's
// connection.
int timePlan(const std::string& model, int count, std::size_t replyBytes) {
    ServerProcess server({"--model", model, "--fleet", std::to_string(count)});
    if (server.slavePath().empty()) {
        std::fprintf(stderr, "could not start %s\n", beaconSimPath());
        return 1;
    }
    HuntPlan plan;
    plan.model = model == "basic" ? kBasicModel : kTarselModel;
    for (int i = 0; i < count; ++i) {
        PlanEntry entry;
        entry.name = "B" + std::to_string(i + 1);
        entry.record.morseText = " MO" + std::to_string(i + 1) + " ";
        plan.entries.push_back(entry);
    }
    if (checkPlanEntries(plan, {})) return 1;

    auto comm = makePlatformComm();
    SerialPort port(*comm);
    port.setPortName(server.slavePath());
    SteadyClock clock;
    BeaconDevice device;
    QuietHost host;
    PlanRun run(plan, device, port, host);
    std::vector<double> perBeacon;
    std::vector<double> removals;
    std::vector<double> cycles;
    auto attemptStart = std::chrono::steady_clock::now();
    auto lastDone = attemptStart;
    std::size_t done = 0;
    CyclePhase phase = run.phase();
    std::int64_t due = clock.nowUs() + kTickPeriodUs;
    while (!run.finished()) {
        clock.sleepUs(due - clock.nowUs());
        run.tick();
        // An identification attempt (a new one, or a retry) has just sent
        // its version request.
        if (device.exchangeState == ExchangeState::VersionForRead && device.tickCount == 0) {
            attemptStart = std::chrono::steady_clock::now();
        }
        if (run.programmed() > done) {
            done = run.programmed();
            perBeacon.push_back(msSince(attemptStart));
            if (done > 1) cycles.push_back(msSince(lastDone));
            lastDone = std::chrono::steady_clock::now();
        }
        if (phase == CyclePhase::WaitingForRemoval && run.phase() != phase && done > 0) {
            removals.push_back(msSince(lastDone));
        }
        phase = run.phase();
        due = std::max(due + kTickPeriodUs, clock.nowUs());
    }
    server.stop(SIGTERM);
    const double floorMs = readConfigFloorMs(replyBytes) + writeConfigFloorMs(replyBytes);
    const double removalMs = failedIdentifyFloorMs();
    const double swapMs = static_cast<double>(kFleetSwapUs) / 1000.0;
    std::printf("plan timing: %d %s beacons, %zu programmed\n", count, model.c_str(), run.programmed());
    report("Per beacon", perBeacon, floorMs);
    report("Removal", removals, removalMs);
    report("Cycle", cycles, floorMs + std::max(swapMs, removalMs));
    // The removal check runs while the cable is empty, so the cycle's
    // floor adds whichever is longer, not both.
    std::printf("(removal floor: one identification finding nobody; cycle floor: per beacon + the\n"
                " fleet's %.0f ms without a beacon, inside which the removal check runs)\n",
                swapMs);
    return run.allProgrammed() ? 0 : 1;
}

class QuietAuditHost : public CycleHost {
public:
    std::size_t seen = 0;
    std::string utcNow() override { return {}; }
    void message(const std::string&) override {}
    bool beacon(const AuditedBeacon&) override {
        ++seen;
        return true;
    }
};

// An audit of `count` beacons, each holding its entry's image. Per beacon:
// from the identification attempt that found it to its result; its floor is
// one Read Config (identification and image). The removal check follows.
int timeAudit(const std::string& model, int count, std::size_t replyBytes) {
    HuntPlan plan;
    plan.model = model == "basic" ? kBasicModel : kTarselModel;
    for (int i = 0; i < count; ++i) {
        PlanEntry entry;
        entry.name = "B" + std::to_string(i + 1);
        entry.record.morseText = " MO" + std::to_string(i + 1) + " ";
        plan.entries.push_back(entry);
    }
    if (checkPlanEntries(plan, {})) return 1;
    std::string images;
    for (int i = 0; i < count; ++i) {
        const std::string path = "/tmp/wb-audit-bench-" + std::to_string(i + 1) + ".wb1";
        if (saveImageFile(path, plan.entries[static_cast<std::size_t>(i)].image) != Outcome::FileSaved) return 1;
        images += (i == 0 ? "" : ",") + path;
    }
    ServerProcess server({"--model", model, "--fleet-images", images, "--fleet-dwell", "1"});
    if (server.slavePath().empty()) return 1;
    auto comm = makePlatformComm();
    SerialPort port(*comm);
    port.setPortName(server.slavePath());
    SteadyClock clock;
    BeaconDevice device;
    QuietAuditHost host;
    PlanAudit audit(plan, device, port, host);
    std::vector<double> perBeacon;
    auto attemptStart = std::chrono::steady_clock::now();
    std::int64_t due = clock.nowUs() + kTickPeriodUs;
    while (!audit.finished()) {
        clock.sleepUs(due - clock.nowUs());
        const std::size_t before = host.seen;
        audit.tick();
        if (device.exchangeState == ExchangeState::VersionForRead && device.tickCount == 0) {
            attemptStart = std::chrono::steady_clock::now();
        }
        if (host.seen > before) perBeacon.push_back(msSince(attemptStart));
        due = std::max(due + kTickPeriodUs, clock.nowUs());
    }
    server.stop(SIGTERM);
    std::printf("audit timing: %d %s beacons, %zu read\n", count, model.c_str(), host.seen);
    report("Per beacon", perBeacon, readConfigFloorMs(replyBytes));
    std::printf("(then the removal check, floor %.1f ms, while the cable is emptied)\n",
                failedIdentifyFloorMs());
    return audit.ok() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 5;
    int planBeacons = 0;
    int auditBeacons = 0;
    std::string model = "tarsel";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--model") == 0) model = argv[i + 1];
        if (std::strcmp(argv[i], "--plan") == 0) planBeacons = std::max(2, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--audit") == 0) auditBeacons = std::max(2, std::atoi(argv[i + 1]));
    }
    const std::size_t replyBytes =
        factoryVersionText(identifiedModelFromName(model).value_or(kBasicModel)).size();

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
    if (planBeacons > 0 && timePlan(model, planBeacons, replyBytes) != 0) return 1;
    if (auditBeacons > 0 && timeAudit(model, auditBeacons, replyBytes) != 0) return 1;
    return reads.size() == static_cast<std::size_t>(runs) && writes.size() == static_cast<std::size_t>(runs)
               ? 0
               : 1;
}
