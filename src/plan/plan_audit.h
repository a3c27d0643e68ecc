#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "config/beacon_device.h"
#include "plan/cable_cycle.h"
#include "plan/hunt_plan.h"
#include "plan/plan_report.h"
#include "serial/serial_port.h"

namespace wb {

// The report's row for a beacon read at `time`: a stranger goes by its text.
AuditReportRow auditReportRow(const AuditedBeacon& beacon, const std::string& time);

// The cable cycle's read-and-compare step: checks the beacons of a plan one
// after another without writing to any. Each beacon read is matched to the
// entry with its Morse text and TX frequency (auditEntryFor) and compared
// with what that entry's beacon would store. It ends once every entry has been
// seen, or on stop().
class PlanAudit : public CableCycle {
public:
    PlanAudit(const HuntPlan& plan, BeaconDevice& device, SerialPort& port, CycleHost& host,
              CycleOptions options = {});

    const std::vector<AuditedBeacon>& beacons() const { return beacons_; }
    // The names of the entries no beacon was found for.
    std::vector<std::string> missing() const;
    // Every entry seen once, matching, and nothing else on the cable.
    bool ok() const;
    std::size_t total() const { return plan_.entries.size(); }
    // "N of M beacons match the plan", then "Never seen: ..." when some were not.
    std::vector<std::string> summary() const;
    // What the entry's beacon stores: what a beacon found for it is compared with.
    DeviceConfig planned(std::size_t entry) const;

protected:
    std::string prompt(bool confirm) const override;
    void identified() override;

private:
    // Says the verdict; returns its first line.
    std::string judge(AuditedBeacon& found);
    std::string say(std::string line);
    std::size_t seenCount() const;

    const HuntPlan& plan_;
    std::vector<bool> seen_;
    std::vector<AuditedBeacon> beacons_;
};

}  // namespace wb
