#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/beacon_device.h"
#include "plan/hunt_plan.h"
#include "plan/plan_parse.h"
#include "plan/plan_run.h"
#include "serial/serial_port.h"
#include "wasm/page_audit.h"
#include "wasm/page_comm.h"
#include "wasm/page_files.h"
#include "wasm/page_session.h"

namespace wb {

// The page's hunt plan: the command line's `plan check` and `plan run` over
// the page's serial seam. The plan file and its base file are the bytes
// the user chose; backups stay in memory for the page to download.
class PagePlan : public PlanHost {
public:
    enum class LoadResult { Ready, Refused, NeedsBaseFile };

    explicit PagePlan(PageComm& comm) : comm_(comm) {}

    // Reads a plan file; a refusal (error()) names the file, the beacon and
    // the key as the command line's does.
    LoadResult load(const std::string& fileName, std::string_view text, const PlanCheckOptions& options);
    // The .wb1 the plan's baseFile names, chosen by the user.
    LoadResult loadBase(std::vector<std::uint8_t> bytes, const PlanCheckOptions& options);
    // Builds the plan's records again, with other options.
    LoadResult check(const PlanCheckOptions& options);
    const std::string& error() const { return error_; }
    const std::string& baseFileName() const { return source_.baseFile; }
    // Each beacon's name and the values it will store, as JSON:
    // {"model":2,"beacons":[{"name":..,"sha256":..,"values":[{"id":..,"text":..}]}]}
    std::string tableJson() const;

    // Runs the checked plan on the page's port (attached beforehand), with
    // the options its check used: the bytes run are those the table showed.
    bool start();
    // Audits the checked plan on the page's port: nothing is written.
    bool startAudit();
    PageAudit& audit() { return audit_; }
    // One 100 ms tick; PageEvent bits.
    std::uint32_t tick();
    void stop();
    bool allProgrammed() const { return run_.has_value() && run_->finished() && run_->allProgrammed(); }
    bool busy() const { return run_.has_value() && !run_->finished(); }
    bool nextTickReads() const { return busy() && tickDrainsLine(device_, comm_); }
    // The run's own message, or the exchange's text while that is worth
    // showing; the summary at the end.
    std::string status() const;
    // The report so far: its rows as JSON, and as the CSV file.
    std::string rowsJson() const;
    // Every message of the run, in order, as a JSON list of texts.
    std::string messagesJson() const;
    std::string reportCsv() const;
    // The printable hunt sheet of the checked plan, with the rows so far of
    // the run or the audit, whichever came last; empty without a plan.
    std::string sheetHtml() const;
    // The backups taken so far, by index.
    std::size_t backupCount() const { return backups_.size(); }
    const std::string& backupName(std::size_t index) const { return backups_.at(index).name; }
    const std::vector<std::uint8_t>& backupBytes(std::size_t index) const { return backups_.at(index).bytes; }

    // PlanHost
    bool saveBackup(const std::string& name, const ConfigImage& image, std::string& pathOrError) override;
    std::string utcNow() override;
    void message(const std::string& line) override;
    void row(const PlanReportRow& row) override;

private:
    struct Backup {
        std::string name;
        std::vector<std::uint8_t> bytes;
    };
    LoadResult refuse(const std::string& why);

    PageComm& comm_;
    SerialPort port_{comm_};
    PageFiles files_;
    std::string fileName_;
    std::string planSha256_;
    PlanSource source_;
    std::optional<ConfigImage> baseImage_;
    std::optional<HuntPlan> plan_;
    // The last check's options (its sameTextSwitch views a text that
    // outlives the plan: the page's is static).
    PlanCheckOptions options_;
    // The plan being run: the checked one may be replaced meanwhile.
    HuntPlan running_;
    std::string error_;

    BeaconDevice device_;
    std::optional<PlanRun> run_;
    std::vector<std::string> messages_;
    std::vector<PlanReportRow> rows_;
    std::vector<Backup> backups_;
    std::uint32_t events_ = 0;

    PageAudit audit_{comm_};
    bool audited_ = false;  // the audit came after the last run
};

}  // namespace wb
