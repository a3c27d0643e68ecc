#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "plan/cable_cycle.h"

namespace wb::test {

// A cable cycle's front end that keeps everything it is given: backups in
// memory, messages, a run's rows and an audit's beacons. It can be told to
// fail the backups or the rows.
class RecordingCycleHost : public CycleHost {
public:
    std::map<std::string, ConfigImage> backups;
    std::vector<std::string> messages;
    std::vector<PlanReportRow> rows;
    std::vector<AuditedBeacon> seen;
    bool backupFails = false;
    bool rowFails = false;

    bool saveBackup(const std::string& name, const ConfigImage& image, std::string& pathOrError) override {
        if (backupFails) {
            pathOrError = "Could not write the backup plan-backups/" + name + "-before.wb1";
            return false;
        }
        pathOrError = "plan-backups/" + name + "-before.wb1";
        backups[name] = image;
        return true;
    }
    std::string utcNow() override { return "2026-05-17T08:30:05Z"; }
    void message(const std::string& line) override { messages.push_back(line); }
    bool row(const PlanReportRow& row) override {
        rows.push_back(row);
        return !rowFails;
    }
    bool beacon(const AuditedBeacon& b) override {
        seen.push_back(b);
        return !rowFails;
    }

    bool said(const std::string& line) const {
        return std::find(messages.begin(), messages.end(), line) != messages.end();
    }
    // The message that came next after the first `line`; empty when none did.
    std::string saidAfter(const std::string& line) const {
        const auto at = std::find(messages.begin(), messages.end(), line);
        return at == messages.end() || at + 1 == messages.end() ? std::string() : *(at + 1);
    }
};

}  // namespace wb::test
