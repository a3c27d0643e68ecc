#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/beacon_device.h"
#include "plan/hunt_plan.h"
#include "plan/plan_audit.h"
#include "serial/serial_port.h"
#include "wasm/page_comm.h"

namespace wb {

// The page's plan audit: the command line's `plan audit` over the page's
// serial seam, ticked as the page ticks a plan run. Nothing is written.
class PageAudit : public AuditHost {
public:
    explicit PageAudit(PageComm& comm) : comm_(comm) {}

    // Audits `plan` (copied: the checked plan may be replaced meanwhile) on
    // the page's port, attached beforehand.
    bool start(const HuntPlan& plan);
    // One 100 ms tick; PageEvent bits (kPlanRow for each beacon read).
    std::uint32_t tick();
    void stop();
    bool started() const { return audit_.has_value(); }
    bool busy() const { return audit_.has_value() && !audit_->finished(); }
    bool nextTickReads() const;
    bool ok() const { return audit_.has_value() && audit_->finished() && audit_->ok(); }
    // The audit's message, or the exchange's text while a beacon is read;
    // the summary at the end; as a JSON string (names are UTF-8, a
    // beacon's text single bytes).
    std::string status() const;
    // Every message, in order, as a JSON list of texts; the summary last.
    std::string messagesJson() const;
    // Each beacon read: {"time","name","text","version","result","sha256",
    // "differences":[{"label","beacon","plan","text"}]}: its Morse text and
    // the differing values as the form shows them, each difference's text
    // as the audit's message has it; the name empty for a beacon not in
    // the plan.
    std::string rowsJson() const;
    std::string reportCsv() const;

    // AuditHost
    std::string utcNow() override;
    void message(const std::string& line) override;
    void beacon(const AuditedBeacon& beacon) override;

private:
    struct Row {
        std::string time;
        AuditedBeacon beacon;
    };

    // The summary, once, at the end of the message log.
    void summarise();

    PageComm& comm_;
    SerialPort port_{comm_};
    HuntPlan plan_;
    BeaconDevice device_;
    std::optional<PlanAudit> audit_;
    std::vector<std::string> messages_;
    std::vector<Row> rows_;
    bool summarised_ = false;
    std::uint32_t events_ = 0;
};

}  // namespace wb
