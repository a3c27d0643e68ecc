#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/beacon_device.h"
#include "plan/hunt_plan.h"
#include "plan/plan_parse.h"
#include "serial/serial_port.h"
#include "wasm/page_cycle.h"
#include "wasm/page_comm.h"
#include "wasm/page_files.h"
#include "wasm/page_session.h"

namespace wb {

// The page's hunt plan: the command line's `plan check`, and its `plan run`
// and `plan audit` through the one cable-cycle adapter. The plan file and
// its base file are the bytes the user chose.
class PagePlan {
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
    // The run or the audit, whichever came last.
    PageCycle& cycle() { return cycle_; }
    const PageCycle& cycle() const { return cycle_; }
    // The printable hunt sheet of the checked plan, with the rows so far of
    // the run or the audit, whichever came last; empty without a plan.
    std::string sheetHtml() const;
    // The checked plan, if there is one, and the SHA-256 of its file.
    const HuntPlan* checked() const { return plan_ ? &*plan_ : nullptr; }
    const std::string& planSha256() const { return planSha256_; }

private:
    LoadResult refuse(const std::string& why);

    PageComm& comm_;
    PageFiles files_;
    std::string fileName_;
    std::string planSha256_;
    PlanSource source_;
    std::optional<ConfigImage> baseImage_;
    std::optional<HuntPlan> plan_;
    // The last check's options (its sameTextSwitch views a text that
    // outlives the plan: the page's is static).
    PlanCheckOptions options_;
    std::string error_;
    PageCycle cycle_{comm_};
};

}  // namespace wb
