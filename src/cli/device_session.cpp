#include "cli/device_session.h"

#include <iostream>

#include "cli/exchange_driver.h"
#include "cli/stderr_terminal.h"
#include "exchange/device_exchange.h"

namespace wb {
namespace {

ProgressDisplay::Mode displayMode(const CliContext& context, bool quiet) {
    if (quiet) return ProgressDisplay::Mode::Quiet;
    // Only the real stderr can redraw a bar in place.
    if (&context.err == &std::cerr && stderrIsTerminal()) return ProgressDisplay::Mode::Terminal;
    return ProgressDisplay::Mode::Lines;
}

DeviceLinks& linksOf(CliContext& context, std::unique_ptr<SystemDeviceLinks>& own) {
    if (context.deviceLinks != nullptr) return *context.deviceLinks;
    own = std::make_unique<SystemDeviceLinks>();
    return *own;
}

}  // namespace

void addDeviceOptions(CLI::App& command, DeviceCommandOptions& options) {
    command.add_option("--port", options.port,
                       "Serial port: a device path such as /dev/ttyUSB0, COM3 on Windows, "
                       "or sim:basic / sim:tarsel for a simulated beacon")
        ->required();
    command.add_flag("-q,--quiet", options.quiet, "Show no progress");
    command.add_option("--trace", options.tracePath,
                       "Write a timestamped hex log of every byte read and written to this file");
}

DeviceSession::DeviceSession(CliContext& context, const DeviceCommandOptions& options)
    : context_(context),
      links_(&linksOf(context, ownLinks_)),
      display_(context.err, displayMode(context, options.quiet), links_->clock()) {
    CommApi* api = &links_->linkFor(options.port);
    if (!options.tracePath.empty()) {
        traceFile_.open(options.tracePath, std::ios::out | std::ios::trunc);
        if (!traceFile_) {
            context_.err << "Could not write the trace file " << options.tracePath << '\n';
            ready_ = false;
        } else {
            tracer_ = std::make_unique<TracingComm>(*api, links_->clock(), traceFile_);
            api = tracer_.get();
        }
    }
    port_ = std::make_unique<SerialPort>(*api);
    port_->setPortName(options.port);
}

void DeviceSession::drive() {
    display_.update(device);
    runUntilIdle(device, *port_, links_->clock(),
                 [this](const BeaconDevice& d) { display_.update(d); });
    display_.finish();
}

void DeviceSession::run(ExchangeState first) {
    device.retryCount = 0;
    startOperation(device, *port_, first);
    drive();
}

bool DeviceSession::runWrite(const CodecContext& codec) {
    const bool notStarted = prepareWrite(device, *port_, codec);
    if (!notStarted) drive();
    return notStarted;
}

int DeviceSession::fail() {
    if (display_.shown() != device.statusText) context_.err << device.statusText << '\n';
    const std::string& portError = port_->lastError;
    if (!portError.empty() && portError != device.statusText) {
        context_.err << "Port: " << portError << '\n';
    }
    return kExitFailed;
}

}  // namespace wb
