#include <algorithm>
#include <iostream>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/device_session.h"
#include "cli/exchange_driver.h"
#include "cli/file_roles.h"
#include "cli/plan_loading.h"
#include "cli/report_file.h"
#include "cli/plan_subcommands.h"
#include "config/record_json.h"
#include "exchange/device_exchange.h"
#include "plan/plan_audit.h"
#include "plan/plan_report.h"
#include "plan/shown_text.h"

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

class CliAuditHost : public AuditHost {
public:
    CliAuditHost(CliContext& context, DeviceSession& session, ReportFile* report, bool quiet)
        : context_(context), session_(session), report_(report), quiet_(quiet) {}

    std::string utcNow() override { return utcTimeText(std::chrono::system_clock::now()); }
    void message(const std::string& line) override {
        if (quiet_) return;
        session_.display().finish();
        context_.err << shownText(line) << '\n' << std::flush;
    }
    void beacon(const AuditedBeacon& b) override {
        if (report_ == nullptr || failed) return;
        if (!report_->write(auditReportLine(auditReportRow(b, utcNow())))) {
            failed = true;
            session_.display().finish();
            context_.err << report_->error() << '\n' << std::flush;
        }
    }
    // A row could not be kept: the audit stops, since its record is the point.
    bool failed = false;

private:
    CliContext& context_;
    DeviceSession& session_;
    ReportFile* report_;
    bool quiet_;
};

nlohmann::ordered_json auditJson(const PlanAudit& audit) {
    nlohmann::ordered_json doc;
    doc["beacons"] = nlohmann::ordered_json::array();
    for (const AuditedBeacon& b : audit.beacons()) {
        nlohmann::ordered_json beacon;
        beacon["name"] = b.name.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(b.name);
        beacon["text"] = recordToJson(b.record)["morseText"];
        beacon["version"] = b.version;
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
    // Before the report is touched: waiting would never make such a port.
    refuseImpossiblePort(context, options.device.port);
    ReportFile report;
    if (!options.reportPath.empty()) {
        const std::string problem = report.open(options.reportPath, auditReportHeader(), "an audit report");
        if (!problem.empty()) {
            context.err << problem << '\n';
            return kExitFailed;
        }
    }
    TwoStageStop stop(context.interrupts);
    DeviceSession session(context, options.device, &stop);
    if (!session.ready()) return kExitFailed;
    CliAuditHost host(context, session, options.reportPath.empty() ? nullptr : &report, options.device.quiet);
    PlanAudit audit(plan, session.device, session.port(), host, PlanAuditOptions{options.confirm});
    bool endOfInput = false;
    if (!audit.finished()) driveTicks(session.clock(), [&] {
        if (audit.phase() == AuditPhase::Confirming) {
            std::string line;
            if (std::getline(std::cin, line)) {
                audit.confirmConnected();
            } else {
                endOfInput = true;
                audit.stop();
            }
        } else {
            audit.tick();
            // Nothing is ever written, so the first Ctrl-C stops at once.
            if (session.afterTick(audit.exchangeShown()) != StopStage::Running || host.failed) audit.stop();
            if (!audit.finished()) return NextTick::Paced;
        }
        return audit.finished() ? NextTick::Done : NextTick::AtOnce;
    });
    session.display().finish();
    for (const std::string& line : audit.summary()) context.err << shownText(line) << '\n';
    if (endOfInput) context.err << "Stopped: no more input\n";
    if (options.json) context.out << auditJson(audit).dump(2) << '\n';
    if (host.failed) return session.finish(kExitFailed);
    if (audit.interrupted() && !endOfInput) return session.finish(kExitInterrupted);
    return session.finish(audit.ok() ? kExitOk : kExitFailed);
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
        std::string baseFile;
        const HuntPlan plan = loadHuntPlan(options->planPath, options->check, &baseFile);
        refuseSharedFiles({{"the plan", options->planPath},
                           {"its baseFile", baseFile},
                           {"--report", options->reportPath},
                           {"--trace", options->device.tracePath}});
        context.exitCode = runAudit(context, *options, plan);
    });
}

}  // namespace wb
