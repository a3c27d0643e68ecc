#include "cli/plan_session.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>

#include "cli/exchange_driver.h"
#include "cli/report_file.h"
#include "file/config_file.h"
#include "plan/plan_run.h"
#include "plan/plan_texts.h"
#include "plan/shown_text.h"

namespace wb {
namespace {

namespace fs = std::filesystem;

class CliPlanHost : public PlanHost {
public:
    CliPlanHost(CliContext& context, DeviceSession& session, TwoStageStop& stop, fs::path backupDir,
                ReportFile* report, bool quiet)
        : context_(context), session_(session), stop_(stop), backupDir_(std::move(backupDir)),
          report_(report), quiet_(quiet) {}

    // DIR/NAME-before.wb1; a second attempt for the same entry, or a file
    // left by an earlier run, gets -2, -3, ... so no backup is overwritten.
    bool saveBackup(const std::string& name, const ConfigImage& image,
                    std::string& pathOrError) override {
        std::error_code ec;
        fs::create_directories(backupDir_, ec);
        // Any entry of that name is taken: a link, even one to nowhere,
        // would have the backup written outside the folder.
        fs::path path = backupDir_ / backupFileName(name, [&](const std::string& file) {
            return fs::exists(fs::symlink_status(backupDir_ / file, ec));
        });
        // One kind of separator in the path the report and messages show,
        // whichever the user typed: "C:/hunt\MOE-before.wb1" is no name to
        // give back on Windows.
        path.make_preferred();
        const Outcome saved = saveImageFile(path.string(), image);
        if (saved != Outcome::FileSaved) {
            pathOrError = std::string(fileOutcomeText(saved)) + ": the backup " + path.string();
            return false;
        }
        pathOrError = path.string();
        // A write stopped half-way names it in the restore command.
        session_.setBackupPath(pathOrError);
        return true;
    }

    std::string utcNow() override { return utcTimeText(std::chrono::system_clock::now()); }

    void message(const std::string& line) override {
        if (quiet_) return;
        session_.display().finish();
        context_.err << shownText(line) << '\n' << std::flush;
    }

    void row(const PlanReportRow& row) override {
        if (report_ == nullptr || reportFailed_) return;
        if (!report_->write(planReportLine(row))) {
            reportFailed_ = true;
            session_.display().finish();
            context_.err << report_->error() << '\n' << std::flush;
        }
    }

    bool stopRequested() override { return stop_.stage() == StopStage::Now; }

    // A row could not be kept: nothing more is started without its record.
    bool reportFailed() const { return reportFailed_; }

private:
    CliContext& context_;
    DeviceSession& session_;
    TwoStageStop& stop_;
    fs::path backupDir_;
    ReportFile* report_;
    bool quiet_;
    bool reportFailed_ = false;
};

fs::path backupFolder(const PlanRunCommandOptions& options) {
    if (!options.backupDir.empty()) return options.backupDir;
    if (!options.reportPath.empty()) return fs::path(options.reportPath).parent_path();
    return "plan-backups";
}

}  // namespace

int runHuntPlan(CliContext& context, const PlanRunCommandOptions& options, const HuntPlan& plan) {
    // Before the report is touched: waiting would never make such a port.
    refuseImpossiblePort(context, options.device.port);
    ReportFile report;
    if (!options.reportPath.empty()) {
        const std::string problem = report.open(options.reportPath, planReportHeader(), "a plan report");
        if (!problem.empty()) {
            context.err << problem << '\n';
            return kExitFailed;
        }
    }
    TwoStageStop stop(context.interrupts);
    DeviceSession session(context, options.device, &stop);
    if (!session.ready()) return kExitFailed;

    CliPlanHost host(context, session, stop, backupFolder(options),
                     options.reportPath.empty() ? nullptr : &report, options.device.quiet);
    PlanRun run(plan, session.device, session.port(), host, PlanRunOptions{options.check.noLimit, options.confirm});
    run.watchLink(session.link());
    bool inputEnded = false;
    // The next beacon is awaited: a stop now says nothing of the last one.
    const auto track = [&] {
        if (run.phase() == PlanPhase::WaitingForBeacon || run.phase() == PlanPhase::Confirming) session.newBeacon();
    };
    if (!run.finished()) driveTicks(session.clock(), [&] {
        if (run.phase() == PlanPhase::Confirming) {
            std::string line;
            if (std::getline(std::cin, line)) {
                run.confirmConnected();
            } else {
                inputEnded = true;
                run.endOfInput();
            }
            return run.finished() ? NextTick::Done : NextTick::AtOnce;
        }
        run.tick();
        track();
        switch (session.afterTick(run.exchangeShown())) {
        case StopStage::AfterWrite:
            run.stop();
            break;
        case StopStage::Now:
            run.abandon();
            break;
        case StopStage::Running:
            if (host.reportFailed()) run.stop();
            break;
        }
        return run.finished() ? NextTick::Done : NextTick::Paced;
    });
    session.display().finish();
    context.err << run.summary() << '\n';
    const std::string lastName = run.programmed() > 0 ? plan.entries[run.programmed() - 1].name : "";
    int code = run.allProgrammed() ? kExitOk : kExitFailed;
    const bool verifiedOnCable = run.verifiedOnCable();
    if (session.stopped()) {
        if (verifiedOnCable) {
            context.err << "Stopped; beacon " << lastName << " on the cable was written and verified.\n";
            code = kExitInterrupted;
        } else {
            code = session.fail();
        }
    } else if (inputEnded) {
        const PlanEntry& next = plan.entries[run.programmed()];
        context.err << "Stopped: no more input; beacon " << next.name << " ("
                    << plan_text::position(run.programmed(), run.total()) << ") was not written.\n";
        code = kExitFailed;
    } else if (host.reportFailed()) {
        code = kExitFailed;
    } else if (run.interrupted()) {
        context.err << (verifiedOnCable ? std::string(kFinishedBeforeStopping)
                                        : "Stopped; the write under way did not verify.")
                    << '\n';
        code = kExitInterrupted;
    }
    if (host.reportFailed() && code == kExitOk) code = kExitFailed;
    return session.finish(code);
}

}  // namespace wb
