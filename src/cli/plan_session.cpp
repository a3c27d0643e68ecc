#include "cli/plan_session.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "cli/exchange_driver.h"
#include "file/config_file.h"
#include "plan/plan_run.h"
#include "plan/plan_texts.h"
#include "plan/shown_text.h"

namespace wb {
namespace {

namespace fs = std::filesystem;

class CliPlanHost : public PlanHost {
public:
    CliPlanHost(CliContext& context, DeviceSession& session, fs::path backupDir, std::ostream* report,
                bool quiet)
        : context_(context), session_(session), backupDir_(std::move(backupDir)), report_(report),
          quiet_(quiet) {}

    // DIR/NAME-before.wb1; a second attempt for the same entry, or a file
    // left by an earlier run, gets -2, -3, ... so no backup is overwritten.
    bool saveBackup(const std::string& name, const ConfigImage& image,
                    std::string& pathOrError) override {
        std::error_code ec;
        fs::create_directories(backupDir_, ec);
        fs::path path = backupDir_ / backupFileName(name, [&](const std::string& file) {
            return fs::exists(backupDir_ / file, ec);
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
        if (report_ != nullptr) *report_ << planReportLine(row) << std::flush;
    }

private:
    CliContext& context_;
    DeviceSession& session_;
    fs::path backupDir_;
    std::ostream* report_;
    bool quiet_;
};

fs::path backupFolder(const PlanRunCommandOptions& options) {
    if (!options.backupDir.empty()) return options.backupDir;
    if (!options.reportPath.empty()) return fs::path(options.reportPath).parent_path();
    return "plan-backups";
}

}  // namespace

int runHuntPlan(CliContext& context, const PlanRunCommandOptions& options, const HuntPlan& plan) {
    std::ofstream report;
    if (!options.reportPath.empty()) {
        report.open(options.reportPath, std::ios::out | std::ios::trunc | std::ios::binary);
        if (!report) {
            context.err << "Could not write the report " << options.reportPath << '\n';
            return kExitFailed;
        }
        report << planReportHeader() << std::flush;
    }
    TwoStageStop stop(context.interrupts);
    DeviceSession session(context, options.device, &stop);
    if (!session.ready()) return kExitFailed;

    CliPlanHost host(context, session, backupFolder(options), report.is_open() ? &report : nullptr,
                     options.device.quiet);
    PlanRun run(plan, session.device, session.port(), host, PlanRunOptions{options.check.noLimit, options.confirm});
    Clock& clock = session.clock();
    std::int64_t due = clock.nowUs() + kTickPeriodUs;
    while (!run.finished()) {
        if (run.phase() == PlanPhase::Confirming) {
            std::string line;
            if (std::getline(std::cin, line)) {
                run.confirmConnected();
            } else {
                run.stop();
            }
            due = clock.nowUs();
            continue;
        }
        clock.sleepUs(due - clock.nowUs());
        run.tick();
        switch (session.afterTick(run.exchangeShown())) {
        case StopStage::AfterWrite:
            run.stop();
            break;
        case StopStage::Now:
            run.abandon();
            break;
        case StopStage::Running:
            break;
        }
        due = std::max(due + kTickPeriodUs, clock.nowUs());
    }
    session.display().finish();
    context.err << run.summary() << '\n';
    if (session.stopped()) return session.fail();
    if (run.interrupted()) {
        context.err << kFinishedBeforeStopping << '\n';
        return kExitInterrupted;
    }
    return run.allProgrammed() ? kExitOk : kExitFailed;
}

}  // namespace wb
