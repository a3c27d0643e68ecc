#include <algorithm>
#include <iostream>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/device_session.h"
#include "cli/exchange_driver.h"
#include "cli/plan_loading.h"
#include "cli/plan_session.h"
#include "cli/plan_subcommands.h"
#include "config/record_json.h"
#include "config/record_text.h"
#include "exchange/device_exchange.h"
#include "plan/plan_audit.h"
#include "plan/plan_report.h"
#include "util/shown_text.h"

namespace wb {
namespace {

struct AuditOptions {
    DeviceCommandOptions device;
    std::string planPath;
    std::string reportPath;
    bool json = false;
    bool confirm = false;
    PlanCheckOptions check;
};

nlohmann::ordered_json auditJson(const PlanAudit& audit) {
    nlohmann::ordered_json doc;
    doc["beacons"] = nlohmann::ordered_json::array();
    for (const AuditedBeacon& b : audit.beacons()) {
        nlohmann::ordered_json beacon;
        beacon["name"] = b.name.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(b.name);
        beacon["text"] = recordToJson(b.record)["morseText"];
        // The reply's bytes as the version command shows them: JSON takes
        // only UTF-8, and a firmware may answer with any byte.
        beacon["version"] = bytesToUtf8(b.version);
        beacon["result"] = b.result;
        beacon["differences"] = nlohmann::ordered_json::array();
        if (b.entry != AuditedBeacon::kNoEntry) {
            const nlohmann::ordered_json found = recordToJson(b.record);
            const nlohmann::ordered_json wanted = recordToJson(audit.planned(b.entry));
            for (const std::string& key : b.differences) {
                beacon["differences"].push_back({{"key", key}, {"beacon", found[key]}, {"plan", wanted[key]}});
            }
        }
        doc["beacons"].push_back(std::move(beacon));
    }
    doc["missing"] = audit.missing();
    doc["ok"] = audit.ok();
    return doc;
}

int runAudit(CliContext& context, const AuditOptions& options, const HuntPlan& plan) {
    PlanAudit* audit = nullptr;
    const auto make = [&](BeaconDevice& device, SerialPort& port, CycleHost& host) {
        auto made = std::make_unique<PlanAudit>(plan, device, port, host, CycleOptions{options.confirm});
        audit = made.get();
        return std::unique_ptr<CableCycle>(std::move(made));
    };
    const auto end = [&](const CycleEnd& ended) {
        for (const std::string& line : audit->summary()) context.err << shownText(line) << '\n';
        if (ended.inputEnded) context.err << "Stopped: no more input\n";
        if (options.json) context.out << auditJson(*audit).dump(2) << '\n';
        if (audit->recordLost()) return kExitFailed;
        if (audit->interrupted()) return kExitInterrupted;
        return audit->ok() ? kExitOk : kExitFailed;
    };
    const CycleFiles files{options.reportPath, auditReportHeader(), "an audit report", {}};
    return driveCableCycle(context, options.device, files, make, end);
}

}  // namespace

void addPlanAuditCommand(CLI::App& parent, CliContext& context) {
    auto* command = parent.add_subcommand(
        "audit", "Read the plan's beacons one after another and compare each with the plan; "
                 "never writes");
    auto options = std::make_shared<AuditOptions>();
    addPlanInput(*command, options->planPath, options->check);
    addDeviceOptions(*command, options->device);
    command->add_option("--report", options->reportPath, "Write one CSV row per beacon read to this file");
    command->add_flag("--json", options->json, "Print the results as one JSON object at the end");
    addConfirmFlag(*command, options->confirm);
    command->callback([&context, options] {
        const HuntPlan plan = loadHuntPlan(options->planPath, options->check,
                                           {{"--report", options->reportPath},
                                            {"--trace", options->device.tracePath}});
        context.exitCode = runAudit(context, *options, plan);
    });
}

}  // namespace wb
