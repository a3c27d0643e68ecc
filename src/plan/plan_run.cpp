#include "plan/plan_run.h"

#include "config/codec_context.h"
#include "exchange/device_exchange.h"
#include "exchange/device_operations.h"
#include "plan/cable_watch.h"
#include "plan/plan_texts.h"
#include "plan/sha256.h"

namespace wb {
PlanRun::PlanRun(const HuntPlan& plan, BeaconDevice& device, SerialPort& port, PlanHost& host,
                 PlanRunOptions options)
    : plan_(plan), device_(device), host_(host), options_(options), watch_(device, port),
      write_(device, device, port) {
    if (plan_.entries.empty()) phase_ = PlanPhase::Finished;
}

bool PlanRun::exchangeShown() const {
    return operation_ == Operation::Write || (operation_ == Operation::Detect && readingImage(device_));
}

void PlanRun::tick() {
    if (phase_ == PlanPhase::Finished) return;
    if (exchangeBusy(device_)) {
        const bool wholeImage = wholeImageSent(device_);
        write_.tick();
        if (writingImage(device_)) imageSent_ = true;
        if (!exchangeBusy(device_)) {
            if (!isSuccess(device_.outcome) && host_.stopRequested()) {
                cutShort(wholeImage);
            } else {
                operationEnded();
            }
        }
        return;
    }
    if (stopping_) {
        interrupted_ = true;
        finish();
        return;
    }
    if (watch_.holdingOff()) return;
    startNext();
}

void PlanRun::confirmConnected() {
    if (phase_ != PlanPhase::Confirming) return;
    confirmed_ = true;
    phase_ = PlanPhase::WaitingForBeacon;
}

void PlanRun::stop() {
    if (phase_ == PlanPhase::Finished) return;
    stopping_ = true;
    if (operation_ != Operation::Write && exchangeBusy(device_)) {
        watch_.abandon();
        operation_ = Operation::None;
    }
    if (!exchangeBusy(device_)) {
        interrupted_ = true;
        finish();
    }
}

void PlanRun::abandon() {
    if (phase_ == PlanPhase::Finished) return;
    cutShort(wholeImageSent(device_));
}

void PlanRun::cutShort(bool wholeImage) {
    if (operation_ == Operation::Write) {
        // With the whole image out, only its read-back was cut.
        report(std::string(wholeImage ? plan_text::kInterruptedVerifying : plan_text::kInterrupted), imageSent_);
    }
    interrupted_ = true;
    finish();
}

void PlanRun::endOfInput() {
    if (phase_ == PlanPhase::Confirming) finish();
}

std::string PlanRun::summary() const { return plan_text::summary(programmed_, total()); }

void PlanRun::askForBeacon() {
    const PlanEntry& entry = plan_.entries[entry_];
    if (options_.confirm && !confirmed_) {
        phase_ = PlanPhase::Confirming;
        host_.message(plan_text::connectAndConfirm(entry.name, entry_, total()));
        return;
    }
    if (!asked_) host_.message(plan_text::connect(entry.name, entry_, total()));
    asked_ = true;
}

void PlanRun::startNext() {
    switch (phase_) {
    case PlanPhase::WaitingForBeacon:
        askForBeacon();
        if (phase_ == PlanPhase::WaitingForBeacon) start(ExchangeState::VersionForRead, Operation::Detect);
        break;
    case PlanPhase::WaitingForRemoval:
        start(ExchangeState::ReadVersion, Operation::RemovalCheck);
        break;
    default:
        break;
    }
}

void PlanRun::start(ExchangeState first, Operation operation) {
    if (!watch_.begin(first, [this](const std::string& line) { host_.message(line); })) return;
    operation_ = operation;
    imageSent_ = false;
}

void PlanRun::operationEnded() {
    const Operation ended = operation_;
    operation_ = Operation::None;
    switch (ended) {
    case Operation::Detect:
        detected();
        break;
    case Operation::Write:
        written();
        break;
    case Operation::RemovalCheck:
        // Else check again: the beacon may be on the cable still.
        if (watch_.cableEmpty()) {
            host_.message(std::string(plan_text::kRemoved));
            if (entry_ >= total()) {
                finish();
            } else {
                phase_ = PlanPhase::WaitingForBeacon;
                verifiedOnCable_ = false;
                asked_ = false;
                confirmed_ = false;
            }
        }
        break;
    case Operation::None:
        break;
    }
}

void PlanRun::detected() {
    const std::string status = device_.statusText;
    if (device_.outcome == Outcome::NotFound) {
        if (options_.confirm) {
            host_.message(std::string(plan_text::kNobodyAnswered));
            confirmed_ = false;
        }
        return;
    }
    version_ = versionField(device_.versionReply);
    backup_.clear();
    switch (write_.backup(plan_.model)) {
    case BackupRead::NotRead:
        // Incompatible firmware, or the image did not come.
        attemptFailed(status);
        return;
    case BackupRead::OtherModel: {
        const std::string why = plan_text::wrongModel(device_.config.model, plan_.model);
        report(why, false);
        waitForRemoval(why);
        return;
    }
    case BackupRead::Ready:
        break;
    }
    const PlanEntry& entry = plan_.entries[entry_];
    std::string pathOrError;
    if (!host_.saveBackup(entry.name, write_.backupImage(), pathOrError)) {
        // Nothing is written without its backup; the disk will not mend itself.
        host_.message(pathOrError);
        report(pathOrError, false);
        finish();
        return;
    }
    backup_ = pathOrError;
    host_.message(plan_text::backupSaved(backup_));

    device_.config = entry.record;
    device_.config.model = plan_.model;
    const CodecContext codec{options_.noLimit, {}};
    if (!write_.write(codec)) {
        // The plan was checked, so only a changed record could get here.
        attemptFailed(device_.statusText);
        return;
    }
    operation_ = Operation::Write;
    imageSent_ = false;
    phase_ = PlanPhase::Writing;
}

void PlanRun::written() {
    const std::string status = device_.statusText;
    if (device_.outcome != Outcome::ConfigWritten) {
        if (write_.cutOffMidWrite()) host_.message(plan_text::cutOffMidWrite(backup_));
        attemptFailed(status);
        return;
    }
    const std::string name = plan_.entries[entry_].name;
    report(status, true);
    ++programmed_;
    ++entry_;
    verifiedOnCable_ = true;
    waitForRemoval(plan_text::programmed(name, programmed_, total()));
}

void PlanRun::attemptFailed(const std::string& status) {
    report(status, imageSent_);
    waitForRemoval(plan_text::notProgrammed(plan_.entries[entry_].name, status));
}

void PlanRun::waitForRemoval(const std::string& why) {
    host_.message(why);
    phase_ = PlanPhase::WaitingForRemoval;
}

void PlanRun::report(const std::string& status, bool imageSent) {
    PlanReportRow row;
    row.time = host_.utcNow();
    row.name = plan_.entries[entry_].name;
    row.version = version_;
    row.status = status;
    // An image cut off has no one checksum: part of it may be on the beacon.
    if (imageSent && !write_.cutOffMidWrite()) row.sha256 = sha256Hex(device_.images.outgoingImage);
    row.backup = backup_;
    host_.row(row);
}

void PlanRun::finish() {
    watch_.abandon();
    operation_ = Operation::None;
    phase_ = PlanPhase::Finished;
    if (interrupted_) host_.message(std::string(plan_text::kInterrupted));
}

}  // namespace wb
