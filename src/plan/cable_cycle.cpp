#include "plan/cable_cycle.h"

#include "exchange/device_exchange.h"
#include "exchange/device_operations.h"
#include "plan/plan_texts.h"

namespace wb {

bool CycleHost::saveBackup(const std::string&, const ConfigImage&, std::string& pathOrError) {
    pathOrError = "No place for backups";
    return false;
}

bool CycleHost::row(const PlanReportRow&) { return true; }

bool CycleHost::beacon(const AuditedBeacon&) { return true; }

CableCycle::CableCycle(BeaconDevice& device, SerialPort& port, CycleHost& host, CycleOptions options)
    : device_(device), port_(port), host_(host), options_(options), watch_(device, port) {}

bool CableCycle::exchangeShown() const {
    return operation_ == Operation::Work || (operation_ == Operation::Detect && readingImage(device_));
}

void CableCycle::tick() {
    if (phase_ == CyclePhase::Finished) return;
    if (exchangeBusy(device_)) {
        const bool wholeImage = wholeImageSent(device_);
        tickExchange();
        // Any byte at all, even one no beacon would send, is somebody there.
        if (operation_ == Operation::RemovalCheck && !device_.versionReply.empty()) heard_ = true;
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

void CableCycle::tickExchange() { pollTick(device_, port_); }

void CableCycle::confirmConnected() {
    if (phase_ != CyclePhase::Confirming) return;
    confirmed_ = true;
    phase_ = CyclePhase::WaitingForBeacon;
}

void CableCycle::stop() {
    if (phase_ == CyclePhase::Finished) return;
    stopping_ = true;
    if (operation_ != Operation::Work && exchangeBusy(device_)) {
        watch_.abandon();
        operation_ = Operation::None;
    }
    if (!exchangeBusy(device_)) {
        interrupted_ = true;
        finish();
    }
}

void CableCycle::abandon() {
    if (phase_ == CyclePhase::Finished) return;
    cutShort(wholeImageSent(device_));
}

void CableCycle::cutShort(bool wholeImage) {
    if (operation_ == Operation::Work) workCutShort(wholeImage);
    interrupted_ = true;
    finish();
}

void CableCycle::endOfInput() {
    if (phase_ == CyclePhase::Confirming) finish();
}

void CableCycle::startNext() {
    switch (phase_) {
    case CyclePhase::WaitingForBeacon:
        if (options_.confirm && !confirmed_) {
            phase_ = CyclePhase::Confirming;
            host_.message(prompt(true));
            return;
        }
        if (!asked_) host_.message(prompt(false));
        asked_ = true;
        start(ExchangeState::VersionForRead, Operation::Detect);
        break;
    case CyclePhase::WaitingForRemoval:
        start(ExchangeState::ReadVersion, Operation::RemovalCheck);
        break;
    default:
        break;
    }
}

void CableCycle::start(ExchangeState first, Operation operation) {
    if (!watch_.begin(first, [this](const std::string& line) { host_.message(line); })) return;
    // The last line said the port was missing: say again what the cycle
    // waits for, or a front end showing its latest line would still show
    // the missing port.
    if (watch_.cameBack()) {
        const std::string waitingFor = phase_ == CyclePhase::WaitingForBeacon ? prompt(false) : removalWhy_;
        if (!waitingFor.empty()) host_.message(waitingFor);
    }
    operation_ = operation;
    heard_ = false;
}

void CableCycle::startWork() {
    operation_ = Operation::Work;
    phase_ = CyclePhase::Working;
}

void CableCycle::operationEnded() {
    const Operation ended = operation_;
    operation_ = Operation::None;
    switch (ended) {
    case Operation::Detect:
        detected();
        break;
    case Operation::Work:
        workEnded();
        break;
    case Operation::RemovalCheck:
        removalChecked();
        break;
    case Operation::None:
        break;
    }
}

void CableCycle::detected() {
    if (device_.outcome == Outcome::NotFound) {
        if (options_.confirm) {
            host_.message(std::string(plan_text::kNobodyAnswered));
            confirmed_ = false;
        }
        return;
    }
    identified();
}

void CableCycle::removalChecked() {
    // Else check again: the beacon may be on the cable still.
    if (heard_ || !watch_.cableEmpty()) return;
    host_.message(std::string(plan_text::kRemoved));
    phase_ = CyclePhase::WaitingForBeacon;
    asked_ = false;
    confirmed_ = false;
    removed();
}

void CableCycle::waitForRemoval(const std::string& why) {
    if (!why.empty()) host_.message(why);
    waitForRemovalAfter(why);
}

void CableCycle::waitForRemovalAfter(const std::string& said) {
    removalWhy_ = said;
    phase_ = CyclePhase::WaitingForRemoval;
}

bool CableCycle::keep(bool kept) {
    if (!kept) {
        recordLost_ = true;
        finish();
    }
    return kept;
}

void CableCycle::finish() {
    // A stop asked for during the step's exchange, which then ended the
    // cycle on its own (the last beacon), is still a stop.
    if (stopping_) interrupted_ = true;
    watch_.abandon();
    operation_ = Operation::None;
    phase_ = CyclePhase::Finished;
    if (interrupted_) host_.message(std::string(plan_text::kInterrupted));
}

}  // namespace wb
