#include "cli/device_session.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "cli/exchange_driver.h"
#include "cli/stderr_terminal.h"
#include "cli/usage_error.h"
#include "exchange/device_exchange.h"
#include "exchange/device_operations.h"
#include "exchange/exchange_texts.h"
#include "image/model_table.h"
#include "serial/device_name.h"
#include "serial/port_list.h"
#include "serial/serial_texts.h"
#include "util/shown_text.h"

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
    own = std::make_unique<SystemDeviceLinks>(context.namedLinks);
    return *own;
}

// The reason follows the path where the system gave one (a full disk, a
// folder that may not be written).
void reportTraceFailure(CliContext& context, const std::string& path, int cause) {
    context.err << "Could not write the trace file " << path;
    if (cause != 0) context.err << ": " << std::strerror(cause);
    context.err << '\n';
}

// "sim:basic / ...", one sim: port per model.
std::string simPortChoices() {
    std::string text;
    for (const ModelInfo& model : kModels) {
        if (!text.empty()) text += " / ";
        text += "sim:" + std::string(model.name);
    }
    return text;
}

}  // namespace

void addDeviceOptions(CLI::App& command, DeviceCommandOptions& options) {
    command.add_option("--port", options.port,
                       "Serial port: a device path such as /dev/ttyUSB0, COM3 on Windows, or " +
                           simPortChoices() + " for a simulated beacon; default: WRENBOLT_PORT")
        ->envname("WRENBOLT_PORT")
        ->required();
    command.add_flag("-q,--quiet", options.quiet, "Show no progress");
    command.add_option("--trace", options.tracePath,
                       "Write a timestamped hex log of every byte read and written to this file");
}

void refuseImpossiblePort(const CliContext& context, const std::string& port) {
    if (port.empty()) throw UsageError("--port: the name is empty");
    const std::string& prefix = context.namedLinkPrefix;
    if (context.isNamedLink && !prefix.empty() && port.compare(0, prefix.size(), prefix) == 0) {
        if (!context.isNamedLink(port)) {
            throw UsageError("--port: there is no simulated beacon " + port + "; there are " + context.namedLinkNames);
        }
        return;
    }
    // Windows opens a COM name through its device namespace, never as a
    // file (Wine may even map an unused one to a folder).
    if (isComPortName(port)) return;
    std::error_code error;
    if (std::filesystem::is_regular_file(port, error)) {
        throw UsageError("--port: " + port + " is a regular file, not a serial port");
    }
    if (std::filesystem::is_directory(port, error)) {
        throw UsageError("--port: " + port + " is a folder, not a serial port");
    }
    if (const std::string why = neverASerialPort(port); !why.empty()) {
        throw UsageError("--port: " + port + " " + why);
    }
}

DeviceSession::DeviceSession(CliContext& context, const DeviceCommandOptions& options,
                             TwoStageStop* stop)
    : context_(context),
      portName_(options.port),
      links_(&linksOf(context, ownLinks_)),
      display_(context.err, displayMode(context, options.quiet), links_->clock()) {
    refuseImpossiblePort(context, options.port);
    CommApi* api = &links_->linkFor(options.port);
    if (!options.tracePath.empty()) {
        tracePath_ = options.tracePath;
        // Saved as every file is: an earlier trace of that name stays
        // until this one is whole.
        traceSave_ = std::make_unique<FileSave>(systemFileOps());
        if (!traceSave_->open(options.tracePath)) {
            reportTraceFailure(context_, options.tracePath, traceSave_->cause());
            traceSave_.reset();
            ready_ = false;
        } else {
            traceBuffer_ = std::make_unique<FileSaveBuffer>(*traceSave_);
            traceStream_ = std::make_unique<std::ostream>(traceBuffer_.get());
            tracer_ = std::make_unique<TracingComm>(*api, links_->clock(), *traceStream_);
            api = tracer_.get();
        }
    }
    // Under the interrupts, so that the bytes counted are those the port took.
    guard_ = std::make_unique<LinkGuard>(*api);
    api = guard_.get();
    if (stop == nullptr) ownStop_ = std::make_unique<TwoStageStop>(context.interrupts);
    stop_ = stop != nullptr ? stop : ownStop_.get();
    // Outermost, so that the trace shows only what went to the wire.
    stoppable_ = std::make_unique<StoppableComm>(
        *api, *stop_, [this](std::int32_t written) { say(halfWrittenWarning(written)); });
    api = stoppable_.get();
    port_ = std::make_unique<SerialPort>(*api);
    port_->setPortName(options.port);
}

void DeviceSession::say(const std::string& text) {
    display_.finish();
    context_.err << text << '\n' << std::flush;
}

void DeviceSession::drive() {
    display_.update(device);
    runUntilIdle(
        device, *port_, links_->clock(),
        [this](const BeaconDevice& d) {
            endOnLostLink(device, *port_, *guard_);
            stoppable_->setSendingImage(sendsImageNext(d));
            // A tick cut short ends with a text that tells nothing.
            if (stop_->stage() != StopStage::Now) display_.update(d);
        },
        [this] { return stoppable_->stopDue(); });
    display_.finish();
    if (stop_->stage() == StopStage::Now) {
        stopped_ = true;
        if (port_->isOpen()) port_->close();
    }
}

void DeviceSession::followAdapter() {
    if (port_->isOpen()) {
        follower_.opened(port_->portName);
        return;
    }
    const bool absent = device.outcome == Outcome::PortFailed && port_->openFailure == OpenFailure::NoSuchPort &&
                        device.statusText == serial_text::couldNotOpen(port_->portName);
    // The port is tried again each second; so is the listing.
    const std::int64_t now = links_->clock().nowUs();
    if (!absent || now - lastFollowUs_ < 1000000) return;
    lastFollowUs_ = now;
    const std::string moved = follower_.moved(port_->portName);
    if (moved.empty()) return;
    say("The adapter of " + port_->portName + " is back as " + moved + "; using " + moved);
    port_->setPortName(moved);
    portName_ = moved;
}

StopStage DeviceSession::afterTick(bool showProgress) {
    followAdapter();
    stoppable_->setSendingImage(sendsImageNext(device));
    if (sendsImageNext(device)) wroteImage_ = true;
    stoppable_->stopDue();
    if (stop_->stage() == StopStage::Now) {
        display_.finish();
        if (!stopped_ && port_->isOpen()) port_->close();
        stopped_ = true;
    } else if (showProgress) {
        display_.update(device);
    }
    return stop_->stage();
}

bool DeviceSession::refuseStart() {
    stoppable_->stopDue();
    if (stop_->stage() == StopStage::Running) return false;
    stopped_ = true;
    return true;
}

void DeviceSession::run(ExchangeState first) {
    if (refuseStart()) return;
    beginOperation(device, *port_, first);
    drive();
}

void DeviceSession::runRead(GuardedWrite& write, ExchangeState first) {
    if (refuseStart()) return;
    write.beginRead(first);
    drive();
}

bool DeviceSession::runWrite(GuardedWrite& write, const CodecContext& codec) {
    if (refuseStart()) return true;
    if (!write.write(codec)) return true;
    wroteImage_ = true;
    drive();
    if (stop_->stage() == StopStage::AfterWrite && device.outcome == Outcome::ConfigWritten) {
        say(kFinishedBeforeStopping);
    }
    return false;
}

int DeviceSession::fail() {
    if (stopped_) {
        const std::int32_t written = wroteImage_ ? stoppable_->imageBytesWritten() : 0;
        context_.err << stoppedReport(written, portName_, backupPath_, restoreNoLimit_) << '\n';
        return kExitInterrupted;
    }
    if (display_.shown() != device.statusText) context_.err << shownStatusText(device.statusText) << '\n';
    if (lostLink(device, *guard_)) {
        context_.err << exchange_text::portLost(guard_->reason()) << '\n';
        if (wroteImage_) {
            context_.err << cutWriteReport("Port lost", stoppable_->imageBytesWritten(), portName_, backupPath_,
                                           restoreNoLimit_)
                         << '\n';
        }
        return kExitFailed;
    }
    const std::string_view reason = openFailureReason(device, *port_);
    if (!reason.empty()) context_.err << reason << '\n';
    const std::string& portError = portFailure(*port_);
    if (!portError.empty() && portError != device.statusText) {
        context_.err << "Port: " << portError << '\n';
    }
    return kExitFailed;
}

DeviceSession::~DeviceSession() {
    if (!traceSave_ || traceFinished_) return;
    if (port_->isOpen()) port_->close();
    traceSave_->finish();
}

int DeviceSession::finish(int exitCode) {
    if (!traceSave_ || traceFinished_) return exitCode;
    // Whatever the port does later goes nowhere.
    traceFinished_ = true;
    if (traceSave_->finish() != Outcome::FileSaved) {
        reportTraceFailure(context_, tracePath_, traceSave_->cause());
        return exitCode == kExitOk ? kExitFailed : exitCode;
    }
    return exitCode;
}

}  // namespace wb
