#pragma once

#include <fstream>
#include <memory>
#include <string>

#include <CLI/CLI.hpp>

#include "cli/cli_context.h"
#include "cli/device_links.h"
#include "cli/progress_display.h"
#include "cli/tracing_comm.h"
#include "config/beacon_device.h"
#include "config/codec_context.h"
#include "serial/serial_port.h"

namespace wb {

// The options every device command takes.
struct DeviceCommandOptions {
    std::string port;
    bool quiet = false;
    std::string tracePath;
};

void addDeviceOptions(CLI::App& command, DeviceCommandOptions& options);

// One run of a device command: the port, the record and the exchange,
// ticked every 100 ms as the dialog's timer does, with progress on stderr.
class DeviceSession {
public:
    DeviceSession(CliContext& context, const DeviceCommandOptions& options);

    // False when the trace file could not be opened (already reported).
    bool ready() const { return ready_; }

    // Starts an operation as the dialog's buttons do and ticks it to its end.
    void run(ExchangeState first);
    // Write Config: prepareWrite, then ticks to the end if it started.
    // Returns prepareWrite's result (true: nothing was started).
    bool runWrite(const CodecContext& codec);

    // Reports the failed outcome on stderr and returns kExitFailed: the
    // status text, and the port's own failure text when it has one.
    int fail();

    BeaconDevice device;

private:
    void drive();

    CliContext& context_;
    std::unique_ptr<SystemDeviceLinks> ownLinks_;
    DeviceLinks* links_;
    std::ofstream traceFile_;
    std::unique_ptr<TracingComm> tracer_;
    std::unique_ptr<SerialPort> port_;
    ProgressDisplay display_;
    bool ready_ = true;
};

}  // namespace wb
