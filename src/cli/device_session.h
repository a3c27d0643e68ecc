#pragma once

#include <memory>
#include <ostream>
#include <string>

#include <CLI/CLI.hpp>

#include "cli/cli_context.h"
#include "cli/device_links.h"
#include "cli/progress_display.h"
#include "cli/stoppable_comm.h"
#include "cli/tracing_comm.h"
#include "cli/two_stage_stop.h"
#include "config/beacon_device.h"
#include "config/codec_context.h"
#include "exchange/guarded_write.h"
#include "exchange/link_guard.h"
#include "file/file_save.h"
#include "image/stored_record.h"
#include "serial/adapter_follower.h"
#include "serial/serial_port.h"

namespace wb {

// The options every device command takes.
struct DeviceCommandOptions {
    std::string port;
    bool quiet = false;
    std::string tracePath;
};

// --port (WRENBOLT_PORT when not given), -q and --trace.
void addDeviceOptions(CLI::App& command, DeviceCommandOptions& options);

// Throws UsageError for a --port that can never be a port: an empty name,
// a regular file, a folder, a device that is no serial port (/dev/null,
// /dev/tty, a pipe), or a name of the context's named links (sim:) that
// names none of them.
void refuseImpossiblePort(const CliContext& context, const std::string& port);

// One run of a device command: the port, the record and the exchange,
// ticked every 100 ms as the dialog's timer does, with progress on stderr.
// Ctrl-C goes through `stop`: a command that drives several sessions hands
// them one, so that a first Ctrl-C ends it after the write under way;
// without one the session watches the console's for its own lifetime.
class DeviceSession {
public:
    DeviceSession(CliContext& context, const DeviceCommandOptions& options,
                  TwoStageStop* stop = nullptr);
    // A trace not finished yet is kept as far as it goes.
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // False when the trace file could not be opened (already reported).
    bool ready() const { return ready_; }

    // Starts an operation as the dialog's buttons do and ticks it to its end.
    // Once the user has asked to stop, nothing starts.
    void run(ExchangeState first);
    // The read before a write, on this session's device, as run() does.
    void runRead(GuardedWrite& write, ExchangeState first);
    // The write after it, ticked to the end if it started. Returns true
    // when nothing was started (the record cannot be stored as it is, or a
    // stop).
    bool runWrite(GuardedWrite& write, const CodecContext& codec);

    // The .wb1 file that holds the beacon's image from before the write:
    // a write stopped half-way names it in the restore command.
    void setBackupPath(const std::string& path, const ConfigImage& image, DeviceModel model) {
        backupPath_ = path;
        restoreNoLimit_ = rewriteNeedsNoLimit(image, model);
    }
    // A command that writes several beacons in turn: the next one is on
    // the cable, so a stop now reports nothing of the last one's write.
    void newBeacon() {
        backupPath_.clear();
        restoreNoLimit_ = false;
        wroteImage_ = false;
    }

    // True when the user's Ctrl-C cut an operation short or kept one from
    // starting; the port is closed by then.
    bool stopped() const { return stopped_; }

    // Reports the failed outcome on stderr and returns kExitFailed: the
    // status text, why the port could not be opened when the platform said,
    // and the port's own failure text when it has one. A port lost under
    // the operation is said as such, with what reached the beacon of a
    // write. After a stop, says what reached the beacon and returns
    // kExitInterrupted.
    int fail();
    // The command's exit code once the trace is complete: a trace that
    // could not be written (a full disk) is reported and turns a success
    // into a failure.
    int finish(int exitCode);

    BeaconDevice device;

    // For commands that tick the exchange on their own schedule (a plan
    // run): call after every tick. Takes in the user's interrupts, shows
    // progress when asked, and once a stop is due closes the port so that
    // fail() reports it. While the port is absent, follows its USB adapter
    // to the name it came back under, and says so. Returns the stage the
    // interrupts have reached.
    StopStage afterTick(bool showProgress);
    SerialPort& port() { return *port_; }
    // The port's link, which gives up at its first failed byte.
    const LinkGuard& link() const { return *guard_; }
    Clock& clock() { return links_->clock(); }
    ProgressDisplay& display() { return display_; }

private:
    void drive();
    void followAdapter();
    bool refuseStart();
    void say(const std::string& text);

    CliContext& context_;
    std::string portName_;
    std::string backupPath_;
    bool restoreNoLimit_ = false;
    std::unique_ptr<SystemDeviceLinks> ownLinks_;
    DeviceLinks* links_;
    std::string tracePath_;
    std::unique_ptr<FileSave> traceSave_;
    std::unique_ptr<FileSaveBuffer> traceBuffer_;
    std::unique_ptr<std::ostream> traceStream_;
    bool traceFinished_ = false;
    std::unique_ptr<TracingComm> tracer_;
    std::unique_ptr<LinkGuard> guard_;
    std::unique_ptr<TwoStageStop> ownStop_;
    TwoStageStop* stop_ = nullptr;
    std::unique_ptr<StoppableComm> stoppable_;
    std::unique_ptr<SerialPort> port_;
    ProgressDisplay display_;
    AdapterFollower follower_{listSerialPorts};
    std::int64_t lastFollowUs_ = 0;
    bool ready_ = true;
    bool wroteImage_ = false;
    bool stopped_ = false;
};

}  // namespace wb
