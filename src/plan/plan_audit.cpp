#include "plan/plan_audit.h"

#include "exchange/device_exchange.h"
#include "exchange/device_operations.h"
#include "plan/cable_watch.h"
#include "plan/audit_texts.h"
#include "plan/field_text.h"
#include "plan/beacon_identity.h"
#include "util/sha256.h"

namespace wb {
PlanAudit::PlanAudit(const HuntPlan& plan, BeaconDevice& device, SerialPort& port, CycleHost& host,
                     CycleOptions options)
    : CableCycle(device, port, host, options), plan_(plan), seen_(plan.entries.size(), false) {
    if (plan_.entries.empty()) finish();
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

std::string PlanAudit::prompt(bool confirm) const {
    return confirm ? audit_text::connectAndConfirm(seenCount(), total()) : audit_text::connect(seenCount(), total());
}

void PlanAudit::identified() {
    if (device_.outcome != Outcome::ConfigRead) {
        waitForRemoval(audit_text::notRead(device_.statusText));
        return;
    }
    AuditedBeacon found;
    found.record = device_.config;
    found.text = device_.config.morseText;
    found.version = versionField(device_.versionReply);
    found.sha256 = sha256Hex(device_.images.incomingImage);
    // The verdict stands on the status line while the beacon is removed.
    waitForRemovalAfter(judge(found));
    beacons_.push_back(found);
    if (!keep(host_.beacon(found))) return;
    if (seenCount() == total()) finish();
}

std::string PlanAudit::judge(AuditedBeacon& found) {
    found.entry = auditEntryFor(plan_, found.record, seen_);
    if (found.entry == AuditedBeacon::kNoEntry) {
        found.result = std::string(audit_text::kNotInPlan);
        return say(audit_text::stranger(found.text));
    }
    const PlanEntry& entry = plan_.entries[found.entry];
    found.name = entry.name;
    if (seen_[found.entry]) {
        found.result = std::string(audit_text::kSeenTwice);
        return say(audit_text::seenTwice(entry.name));
    }
    seen_[found.entry] = true;
    const DeviceConfig wanted = planned(found.entry);
    found.differences = differingFields(found.record, wanted);
    if (found.differences.empty()) {
        found.result = std::string(audit_text::kMatches);
        return say(audit_text::matches(entry.name));
    }
    found.result = std::string(audit_text::kDiffers);
    const std::string verdict = say(audit_text::differs(entry.name));
    for (const ShownDifference& d : shownDifferences(found.record, wanted)) {
        host_.message("  " + audit_text::difference(d.label, d.a, d.b));
    }
    return verdict;
}

std::string PlanAudit::say(std::string line) {
    host_.message(line);
    return line;
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

}  // namespace wb
