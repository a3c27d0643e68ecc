#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/beacon_device.h"
#include "plan/cable_watch.h"
#include "plan/hunt_plan.h"
#include "plan/plan_report.h"
#include "serial/serial_port.h"

namespace wb {

// One beacon read by an audit, and what it was found to be.
struct AuditedBeacon {
    static constexpr std::size_t kNoEntry = static_cast<std::size_t>(-1);
    std::size_t entry = kNoEntry;  // the plan entry its text sounds like
    std::string name;              // that entry's name; empty for a stranger
    std::string text;              // the Morse text it stores
    std::string version;
    std::string result;            // audit_text::kMatches, kDiffers, ...
    std::string sha256;            // of the 256 bytes read
    DeviceConfig record;           // as read
    std::vector<std::string> differences;  // keys, as differingFields gives them
};

// The report's row for a beacon read at `time`: a stranger goes by its text.
AuditReportRow auditReportRow(const AuditedBeacon& beacon, const std::string& time);

// What an audit needs from its front end.
class AuditHost {
public:
    virtual ~AuditHost() = default;
    virtual std::string utcNow() = 0;
    virtual void message(const std::string& line) = 0;
    virtual void beacon(const AuditedBeacon& beacon) = 0;
};

struct PlanAuditOptions {
    bool confirm = false;
};

enum class AuditPhase { WaitingForBeacon, Confirming, WaitingForRemoval, Finished };

// Checks the beacons of a plan one after another through one port without
// writing to any: the same 100 ms tick machine as PlanRun, on the same
// rules of detection (Read Config again and again; a port that cannot be
// opened tried again each second) and removal (one identification finding
// nobody on a port that did not fail). Each beacon read is matched to the
// entry with its Morse text and TX frequency (auditEntryFor) and compared
// with what that entry's beacon would store. It ends once every entry has
// been seen, or on stop().
class PlanAudit {
public:
    PlanAudit(const HuntPlan& plan, BeaconDevice& device, SerialPort& port, AuditHost& host,
              PlanAuditOptions options = {});

    void tick();
    void confirmConnected();
    // Ends the audit at once: nothing is ever written, so nothing is lost.
    void stop();

    AuditPhase phase() const { return phase_; }
    bool finished() const { return phase_ == AuditPhase::Finished; }
    bool interrupted() const { return interrupted_; }
    // True while the image is being read.
    bool exchangeShown() const;
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

private:
    enum class Operation { None, Detect, RemovalCheck };

    void start(ExchangeState first, Operation operation);
    void operationEnded();
    void detected();
    void judge(AuditedBeacon& found);
    void askForBeacon();
    void finish();
    std::size_t seenCount() const;

    const HuntPlan& plan_;
    BeaconDevice& device_;
    SerialPort& port_;
    AuditHost& host_;
    PlanAuditOptions options_;

    AuditPhase phase_ = AuditPhase::WaitingForBeacon;
    Operation operation_ = Operation::None;
    std::vector<bool> seen_;
    std::vector<AuditedBeacon> beacons_;
    bool asked_ = false;
    bool confirmed_ = false;
    bool interrupted_ = false;
    CableWatch watch_;
};

}  // namespace wb
