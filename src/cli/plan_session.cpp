#include "cli/plan_session.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <set>

#include "cli/console_prompt.h"
#include "cli/exchange_driver.h"
#include "cli/report_file.h"
#include "file/config_file.h"
#include "plan/plan_audit.h"
#include "plan/plan_run.h"
#include "plan/plan_texts.h"
#include "util/shown_text.h"

namespace wb {
namespace {

namespace fs = std::filesystem;

// Names lost to another program saving at the same moment before a
// backup gives up.
constexpr std::size_t kNameRaces = 100;

class CliCycleHost : public CycleHost {
public:
    CliCycleHost(CliContext& context, DeviceSession& session, TwoStageStop& stop, fs::path backupDir,
                 ReportFile* report, bool quiet)
        : context_(context), session_(session), stop_(stop), backupDir_(std::move(backupDir)),
          report_(report), quiet_(quiet) {}

    // DIR/NAME-before.wb1; a second attempt for the same entry, or a file
    // left by an earlier run, gets -2, -3, ... so no backup is overwritten,
    // not even one another run saves in the same folder meanwhile.
    bool saveBackup(const std::string& name, const ConfigImage& image,
                    std::string& pathOrError) override {
        std::error_code ec;
        fs::create_directories(backupDir_, ec);
        // Names that were free when looked at but taken when saved.
        std::set<std::string> lost;
        for (;;) {
            // Any entry of that name is taken: a link, even one to nowhere,
            // would have the backup written outside the folder.
            const std::string file = backupFileName(name, [&](const std::string& candidate) {
                return lost.count(candidate) != 0 || fs::exists(fs::symlink_status(backupDir_ / candidate, ec));
            });
            // One kind of separator in the path the report and messages
            // show, whichever the user typed: "C:/hunt\MOE-before.wb1" is no
            // name to give back on Windows.
            fs::path path = backupDir_ / file;
            path.make_preferred();
            int cause = 0;
            const Outcome saved = saveNewImageFile(path.string(), image, &cause);
            if (saved == Outcome::FileSaved) {
                pathOrError = path.string();
                // A write stopped half-way names it in the restore command.
                session_.setBackupPath(pathOrError, image, session_.device.config.model);
                return true;
            }
            if (cause != EEXIST || lost.size() >= kNameRaces) {
                pathOrError = std::string(fileOutcomeText(saved)) + ": the backup " + path.string();
                return false;
            }
            lost.insert(file);
        }
    }

    std::string utcNow() override { return utcTimeText(std::chrono::system_clock::now()); }

    void message(const std::string& line) override {
        if (quiet_) return;
        session_.display().finish();
        context_.err << shownText(line) << '\n' << std::flush;
    }

    bool row(const PlanReportRow& row) override { return keep(planReportLine(row)); }
    bool beacon(const AuditedBeacon& b) override { return keep(auditReportLine(auditReportRow(b, utcNow()))); }

    bool stopRequested() override { return stop_.stage() == StopStage::Now; }

private:
    bool keep(const std::string& line) {
        if (report_ == nullptr || report_->write(line)) return true;
        session_.display().finish();
        context_.err << report_->error() << '\n' << std::flush;
        return false;
    }

    CliContext& context_;
    DeviceSession& session_;
    TwoStageStop& stop_;
    fs::path backupDir_;
    ReportFile* report_;
    bool quiet_;
};

fs::path backupFolder(const PlanRunCommandOptions& options) {
    if (!options.backupDir.empty()) return options.backupDir;
    if (!options.reportPath.empty()) return fs::path(options.reportPath).parent_path();
    return "plan-backups";
}

}  // namespace

int driveCableCycle(CliContext& context, const DeviceCommandOptions& device, const CycleFiles& files,
                    const MakeCycle& make, const std::function<int(const CycleEnd&)>& end) {
    // Before the report is touched: waiting would never make such a port.
    refuseImpossiblePort(context, device.port);
    ReportFile report;
    if (!files.reportPath.empty()) {
        const std::string problem = report.open(files.reportPath, files.reportHeader, files.reportKind);
        if (!problem.empty()) {
            context.err << problem << '\n';
            return kExitFailed;
        }
    }
    TwoStageStop stop(context.interrupts);
    DeviceSession session(context, device, &stop);
    if (!session.ready()) return kExitFailed;

    CliCycleHost host(context, session, stop, files.backupDir, files.reportPath.empty() ? nullptr : &report,
                      device.quiet);
    const std::unique_ptr<CableCycle> cycle = make(session.device, session.port(), host);
    cycle->watchLink(session.link());
    CycleEnd ended{session};
    if (!cycle->finished()) driveTicks(session.clock(), [&] {
        if (cycle->phase() == CyclePhase::Confirming) {
            // Nothing is being written while the prompt waits: Ctrl-C stops at once.
            switch (waitForEnter([&] { return session.afterTick(false) != StopStage::Running; })) {
            case PromptAnswer::Line:
                cycle->confirmConnected();
                break;
            case PromptAnswer::Ended:
                ended.inputEnded = true;
                cycle->endOfInput();
                break;
            case PromptAnswer::Interrupted:
                cycle->abandon();
                break;
            }
            return cycle->finished() ? NextTick::Done : NextTick::AtOnce;
        }
        cycle->tick();
        // The next beacon is awaited: a stop now says nothing of the last one.
        if (cycle->phase() == CyclePhase::WaitingForBeacon || cycle->phase() == CyclePhase::Confirming) {
            session.newBeacon();
        }
        switch (session.afterTick(cycle->exchangeShown())) {
        case StopStage::AfterWrite:
            cycle->stop();
            break;
        case StopStage::Now:
            cycle->abandon();
            break;
        case StopStage::Running:
            break;
        }
        return cycle->finished() ? NextTick::Done : NextTick::Paced;
    });
    session.display().finish();
    int code = end(ended);
    if (cycle->recordLost() && code == kExitOk) code = kExitFailed;
    return session.finish(code);
}

int runHuntPlan(CliContext& context, const PlanRunCommandOptions& options, const HuntPlan& plan) {
    PlanRun* run = nullptr;
    const auto make = [&](BeaconDevice& device, SerialPort& port, CycleHost& host) {
        auto made = std::make_unique<PlanRun>(plan, device, port, host,
                                              PlanRunOptions{options.check.noLimit, options.confirm});
        run = made.get();
        return std::unique_ptr<CableCycle>(std::move(made));
    };
    const auto end = [&](const CycleEnd& ended) {
        context.err << run->summary() << '\n';
        const std::string lastName = run->programmed() > 0 ? plan.entries[run->programmed() - 1].name : "";
        const bool verifiedOnCable = run->verifiedOnCable();
        if (ended.session.stopped()) {
            if (!verifiedOnCable) return ended.session.fail();
            context.err << "Stopped; beacon " << lastName << " on the cable was written and verified.\n";
            return kExitInterrupted;
        }
        if (ended.inputEnded) {
            const PlanEntry& next = plan.entries[run->programmed()];
            context.err << "Stopped: no more input; beacon " << next.name << " ("
                        << plan_text::position(run->programmed(), run->total()) << ") was not written.\n";
            return kExitFailed;
        }
        if (run->recordLost()) return kExitFailed;
        if (run->interrupted()) {
            context.err << (verifiedOnCable ? std::string(kFinishedBeforeStopping)
                                            : "Stopped; the write under way did not verify.")
                        << '\n';
            return kExitInterrupted;
        }
        return run->allProgrammed() ? kExitOk : kExitFailed;
    };
    const CycleFiles files{options.reportPath, planReportHeader(), "a plan report", backupFolder(options)};
    return driveCableCycle(context, options.device, files, make, end);
}

}  // namespace wb
