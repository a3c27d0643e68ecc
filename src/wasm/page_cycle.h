#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "config/beacon_device.h"
#include "exchange/link_guard.h"
#include "plan/cable_cycle.h"
#include "plan/hunt_plan.h"
#include "plan/plan_audit.h"
#include "plan/plan_run.h"
#include "serial/serial_port.h"
#include "wasm/page_comm.h"
#include "wasm/page_files.h"

namespace wb {

// The page's one adapter for a plan's cable cycle, whichever its step: the
// command line's `plan run` and `plan audit` over the page's serial seam,
// ticked by the page. It keeps the messages, one results table, the report
// and, for a run, the backups in memory for the page to download.
class PageCycle : public CycleHost {
public:
    explicit PageCycle(PageComm& comm) : comm_(comm) {}

    // Runs or audits `plan` (copied: the checked plan may be replaced
    // meanwhile) on the page's port, attached beforehand. False while a
    // cycle is under way.
    bool startRun(const HuntPlan& plan, bool noLimit);
    bool startAudit(const HuntPlan& plan);
    // One 100 ms tick; PageEvent bits.
    std::uint32_t tick();
    void stop();
    bool busy() const { return cycle_ && !cycle_->finished(); }
    bool nextTickReads() const;
    // Ended with every entry programmed (a run) or found matching (an audit).
    bool ok() const;
    bool audited() const { return audit_ != nullptr; }
    // The cycle's message, or the exchange's text while that is worth
    // showing; the summary at the end; as a JSON string (names are UTF-8,
    // a beacon's texts single bytes).
    std::string status() const;
    // Every message, in order, as a JSON list of texts; an audit's summary
    // last.
    std::string messagesJson() const;
    // The results: {"caption","columns":[..],"rows":[{"result","cells":[..]}]}
    // with a row per attempt of a run or beacon read by an audit. A cell is
    // {"text"} and may carry a "title" (a digest in full), "lines" (each
    // difference as the audit's message has it) or "backup" (its name).
    std::string tableJson() const;
    std::string reportCsv() const;
    // The backups a run took so far, by index.
    std::size_t backupCount() const { return backups_.size(); }
    const std::string& backupName(std::size_t index) const { return backups_.at(index).name; }
    const std::vector<std::uint8_t>& backupBytes(std::size_t index) const { return backups_.at(index).bytes; }

    // CycleHost
    std::string utcNow() override;
    void message(const std::string& line) override;
    bool saveBackup(const std::string& name, const ConfigImage& image, std::string& pathOrError) override;
    bool row(const PlanReportRow& row) override;
    bool beacon(const AuditedBeacon& beacon) override;

private:
    struct Backup {
        std::string name;
        std::vector<std::uint8_t> bytes;
    };
    struct Audited {
        std::string time;
        AuditedBeacon beacon;
    };

    bool begin(const HuntPlan& plan);
    std::vector<std::string> summary() const;
    // An audit's summary, once, at the end of the message log.
    void ended();

    PageComm& comm_;
    // A write whose port fails ends at once, as on the command line.
    LinkGuard link_{comm_};
    SerialPort port_{link_};
    PageFiles files_;
    HuntPlan plan_;
    BeaconDevice device_;
    std::unique_ptr<CableCycle> cycle_;
    PlanRun* run_ = nullptr;
    PlanAudit* audit_ = nullptr;
    std::vector<std::string> messages_;
    std::vector<PlanReportRow> rows_;
    std::vector<Audited> audited_;
    std::vector<Backup> backups_;
    bool summarised_ = false;
    std::uint32_t events_ = 0;
};

}  // namespace wb
