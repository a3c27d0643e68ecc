#include "plan/plan_run.h"

#include "config/codec_context.h"
#include "exchange/device_exchange.h"
#include "exchange/device_operations.h"
#include "plan/plan_texts.h"
#include "util/sha256.h"

namespace wb {
PlanRun::PlanRun(const HuntPlan& plan, BeaconDevice& device, SerialPort& port, CycleHost& host,
                 PlanRunOptions options)
    : CableCycle(device, port, host, CycleOptions{options.confirm}), plan_(plan), noLimit_(options.noLimit),
      write_(device, device, port) {
    if (plan_.entries.empty()) finish();
}

void PlanRun::tickExchange() {
    write_.tick();
    if (writingImage(device_)) imageSent_ = true;
}

void PlanRun::workCutShort(bool wholeImage) {
    // With the whole image out, only its read-back was cut.
    report(std::string(wholeImage ? plan_text::kInterruptedVerifying : plan_text::kInterrupted), imageSent_);
}

std::string PlanRun::summary() const { return plan_text::summary(programmed_, total()); }

std::string PlanRun::prompt(bool confirm) const {
    const std::string& name = plan_.entries[entry_].name;
    return confirm ? plan_text::connectAndConfirm(name, entry_, total()) : plan_text::connect(name, entry_, total());
}

void PlanRun::identified() {
    const std::string status = device_.statusText;
    imageSent_ = false;
    version_ = versionField(device_.versionReply);
    backup_.clear();
    switch (write_.backup(plan_.model)) {
    case BackupRead::NotRead:
        // Incompatible firmware, or the image did not come.
        attemptFailed(status);
        return;
    case BackupRead::OtherModel: {
        const std::string why = plan_text::wrongModel(device_.config.model, plan_.model);
        if (report(why, false)) waitForRemoval(why);
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
    const CodecContext codec{noLimit_, {}};
    if (!write_.write(codec)) {
        // The plan was checked, so only a changed record could get here.
        attemptFailed(device_.statusText);
        return;
    }
    imageSent_ = false;
    startWork();
}

void PlanRun::workEnded() {
    const std::string status = device_.statusText;
    if (device_.outcome != Outcome::ConfigWritten) {
        if (write_.cutOffMidWrite()) host_.message(plan_text::cutOffMidWrite(backup_));
        attemptFailed(status);
        return;
    }
    const std::string name = plan_.entries[entry_].name;
    const bool kept = report(status, true);
    ++programmed_;
    ++entry_;
    verifiedOnCable_ = true;
    const std::string done = plan_text::programmed(name, programmed_, total());
    if (kept && entry_ < total()) {
        waitForRemoval(done);
        return;
    }
    // The last beacon, or a row that could not be kept: nothing more will
    // be written, so there is no removal to wait for.
    host_.message(done);
    finish();
}

void PlanRun::removed() {
    verifiedOnCable_ = false;
    // Only a beacon left after the last entry's could get here.
    if (entry_ >= total()) finish();
}

void PlanRun::attemptFailed(const std::string& status) {
    if (report(status, imageSent_)) waitForRemoval(plan_text::notProgrammed(plan_.entries[entry_].name, status));
}

bool PlanRun::report(const std::string& status, bool imageSent) {
    PlanReportRow row;
    row.time = host_.utcNow();
    row.name = plan_.entries[entry_].name;
    row.version = version_;
    row.status = status;
    // An image cut off has no one checksum: part of it may be on the beacon.
    if (imageSent && !write_.cutOffMidWrite()) row.sha256 = sha256Hex(device_.images.outgoingImage);
    row.backup = backup_;
    return keep(host_.row(row));
}

}  // namespace wb
