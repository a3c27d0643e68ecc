#include "plan/plan_audit.h"

#include "exchange/device_exchange.h"
#include "exchange/device_operations.h"
#include "plan/cable_watch.h"
#include "plan/audit_texts.h"
#include "plan/field_text.h"
#include "plan/plan_texts.h"
#include "plan/beacon_identity.h"
#include "plan/sha256.h"

namespace wb {
PlanAudit::PlanAudit(const HuntPlan& plan, BeaconDevice& device, SerialPort& port, AuditHost& host,
                     PlanAuditOptions options)
    : plan_(plan), device_(device), port_(port), host_(host), options_(options),
      seen_(plan.entries.size(), false), watch_(device, port) {
    if (plan_.entries.empty()) phase_ = AuditPhase::Finished;
}

bool PlanAudit::exchangeShown() const {
    return operation_ == Operation::Detect && readingImage(device_);
}

void PlanAudit::tick() {
    if (phase_ == AuditPhase::Finished) return;
    if (exchangeBusy(device_)) {
        pollTick(device_, port_);
        if (!exchangeBusy(device_)) operationEnded();
        return;
    }
    if (watch_.holdingOff()) return;
    switch (phase_) {
    case AuditPhase::WaitingForBeacon:
        askForBeacon();
        if (phase_ == AuditPhase::WaitingForBeacon) start(ExchangeState::VersionForRead, Operation::Detect);
        break;
    case AuditPhase::WaitingForRemoval:
        start(ExchangeState::ReadVersion, Operation::RemovalCheck);
        break;
    default:
        break;
    }
}

void PlanAudit::confirmConnected() {
    if (phase_ != AuditPhase::Confirming) return;
    confirmed_ = true;
    phase_ = AuditPhase::WaitingForBeacon;
}

void PlanAudit::stop() {
    if (phase_ == AuditPhase::Finished) return;
    interrupted_ = true;
    finish();
}

std::size_t PlanAudit::seenCount() const {
    std::size_t n = 0;
    for (bool s : seen_) n += s ? 1 : 0;
    return n;
}

std::vector<std::string> PlanAudit::missing() const {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < seen_.size(); ++i) {
        if (!seen_[i]) names.push_back(plan_.entries[i].name);
    }
    return names;
}

bool PlanAudit::ok() const {
    if (seenCount() != total()) return false;
    for (const AuditedBeacon& b : beacons_) {
        if (b.result != audit_text::kMatches) return false;
    }
    return true;
}

std::vector<std::string> PlanAudit::summary() const {
    std::size_t matching = 0;
    for (const AuditedBeacon& b : beacons_) matching += b.result == audit_text::kMatches ? 1 : 0;
    std::vector<std::string> lines{audit_text::summary(matching, total())};
    std::string names;
    for (const std::string& name : missing()) names += (names.empty() ? "" : ", ") + name;
    if (!names.empty()) lines.push_back(audit_text::neverSeen(names));
    return lines;
}

void PlanAudit::askForBeacon() {
    if (options_.confirm && !confirmed_) {
        phase_ = AuditPhase::Confirming;
        host_.message(audit_text::connectAndConfirm(seenCount(), total()));
        return;
    }
    if (!asked_) host_.message(audit_text::connect(seenCount(), total()));
    asked_ = true;
}

void PlanAudit::start(ExchangeState first, Operation operation) {
    if (watch_.begin(first, [this](const std::string& line) { host_.message(line); })) operation_ = operation;
}

void PlanAudit::operationEnded() {
    const Operation ended = operation_;
    operation_ = Operation::None;
    if (ended == Operation::Detect) {
        detected();
    } else if (ended == Operation::RemovalCheck && watch_.cableEmpty()) {
        host_.message(std::string(plan_text::kRemoved));
        phase_ = AuditPhase::WaitingForBeacon;
        asked_ = false;
        confirmed_ = false;
    }
}

void PlanAudit::detected() {
    if (device_.outcome == Outcome::NotFound) {
        if (options_.confirm) {
            host_.message(std::string(plan_text::kNobodyAnswered));
            confirmed_ = false;
        }
        return;
    }
    phase_ = AuditPhase::WaitingForRemoval;
    if (device_.outcome != Outcome::ConfigRead) {
        host_.message(audit_text::notRead(device_.statusText));
        return;
    }
    AuditedBeacon found;
    found.record = device_.config;
    found.text = device_.config.morseText;
    found.version = versionField(device_.versionReply);
    found.sha256 = sha256Hex(device_.images.incomingImage);
    judge(found);
    beacons_.push_back(found);
    host_.beacon(found);
    if (seenCount() == total()) finish();
}

void PlanAudit::judge(AuditedBeacon& found) {
    found.entry = auditEntryFor(plan_, found.record, seen_);
    if (found.entry == AuditedBeacon::kNoEntry) {
        found.result = std::string(audit_text::kNotInPlan);
        host_.message(audit_text::stranger(found.text));
        return;
    }
    const PlanEntry& entry = plan_.entries[found.entry];
    found.name = entry.name;
    if (seen_[found.entry]) {
        found.result = std::string(audit_text::kSeenTwice);
        host_.message(audit_text::seenTwice(entry.name));
        return;
    }
    seen_[found.entry] = true;
    const DeviceConfig wanted = planned(found.entry);
    found.differences = differingFields(found.record, wanted);
    if (found.differences.empty()) {
        found.result = std::string(audit_text::kMatches);
        host_.message(audit_text::matches(entry.name));
        return;
    }
    found.result = std::string(audit_text::kDiffers);
    host_.message(audit_text::differs(entry.name));
    for (const ShownDifference& d : shownDifferences(found.record, wanted)) {
        host_.message("  " + audit_text::difference(d.label, d.a, d.b));
    }
}

DeviceConfig PlanAudit::planned(std::size_t entry) const {
    DeviceConfig record = plan_.entries.at(entry).stored;
    record.model = plan_.model;
    return record;
}

AuditReportRow auditReportRow(const AuditedBeacon& beacon, const std::string& time) {
    return {time, beacon.name.empty() ? beacon.text : beacon.name, beacon.version, beacon.result, beacon.sha256,
            beacon.differences};
}

void PlanAudit::finish() {
    watch_.abandon();
    operation_ = Operation::None;
    phase_ = AuditPhase::Finished;
    if (interrupted_) host_.message(std::string(plan_text::kInterrupted));
}

}  // namespace wb
