#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "cli/cli_options.h"
#include "cli/plan_loading.h"
#include "cli/plan_subcommands.h"
#include "file/file_save.h"
#include "plan/hunt_sheet.h"
#include "util/sha256.h"

namespace wb {
namespace {

struct SheetOptions {
    std::string planPath;
    std::string outputPath;
    std::string reportPath;
    PlanCheckOptions check;
};

int writeSheet(CliContext& context, const SheetOptions& options) {
    const HuntPlan plan =
        loadHuntPlan(options.planPath, options.check, {{"--report", options.reportPath}, {"-o", options.outputPath}});
    const std::string planText = readInputText(options.planPath, "The plan");
    SheetSource source;
    source.planFileName = std::filesystem::path(options.planPath).filename().string();
    source.planSha256 = sha256Hex(std::span(reinterpret_cast<const std::uint8_t*>(planText.data()),
                                            planText.size()));
    if (!options.reportPath.empty()) source.marks = sheetMarks(readInputText(options.reportPath, "--report:"));
    const std::string html = huntSheetHtml(plan, source);
    if (options.outputPath.empty() || options.outputPath == "-") {
        context.out << html;
        return kExitOk;
    }
    int cause = 0;
    if (saveFile(options.outputPath, html, &cause) != Outcome::FileSaved) {
        context.err << "Could not write the sheet " << options.outputPath
                    << (cause != 0 ? ": " + std::string(std::strerror(cause)) : std::string()) << '\n';
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace

void addPlanSheetCommand(CLI::App& parent, CliContext& context) {
    auto* command = parent.add_subcommand(
        "sheet", "Make a printable HTML sheet of every beacon's settings, with boxes to tick");
    auto options = std::make_shared<SheetOptions>();
    addPlanInput(*command, options->planPath, options->check);
    command->add_option("-o,--output", options->outputPath, "The HTML file (default: stdout)");
    command->add_option("--report", options->reportPath,
                        "A run's or an audit's CSV report: each beacon's last time and result");
    command->callback([&context, options] { context.exitCode = writeSheet(context, *options); });
}

}  // namespace wb
