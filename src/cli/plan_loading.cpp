#include "cli/plan_loading.h"

#include <filesystem>

#include "cli/cli_options.h"
#include "cli/usage_error.h"
#include "file/config_file.h"
#include "plan/plan_parse.h"

namespace wb {
namespace {

// Decoded with the plan's model by buildPlan.
ConfigImage readBaseImage(const std::filesystem::path& path) {
    ConfigImage image{};
    const Outcome loaded = readImageInput(path.string(), "baseFile:", image);
    if (loaded != Outcome::FileLoaded) {
        throw UsageError("baseFile: " + path.string() + ": " + std::string(fileOutcomeText(loaded)));
    }
    return image;
}

// The base file's path, when the plan names one, goes to baseFilePath.
HuntPlan loadPlan(const std::string& planPath, const PlanCheckOptions& options, std::string& baseFilePath) {
    PlanSource source;
    if (PlanError error = parsePlan(readInputText(planPath, "The plan"), source)) {
        throw UsageError(planPath + ": " + *error);
    }
    std::optional<ConfigImage> baseImage;
    if (!source.baseFile.empty()) {
        const std::filesystem::path path =
            std::filesystem::path(planPath).parent_path() / std::filesystem::path(source.baseFile);
        baseFilePath = path.string();
        baseImage = readBaseImage(path);
    }
    HuntPlan plan;
    if (PlanError error = buildPlan(source, baseImage, options, plan)) {
        throw UsageError(planPath + ": " + *error);
    }
    return plan;
}

}  // namespace

HuntPlan loadHuntPlan(const std::string& planPath, const PlanCheckOptions& options) {
    std::string baseFile;
    return loadPlan(planPath, options, baseFile);
}

HuntPlan loadHuntPlan(const std::string& planPath, const PlanCheckOptions& options,
                      const std::vector<FileRole>& files) {
    std::string baseFile;
    HuntPlan plan = loadPlan(planPath, options, baseFile);
    std::vector<FileRole> roles{{"the plan", planPath}, {"its baseFile", baseFile}};
    roles.insert(roles.end(), files.begin(), files.end());
    refuseSharedFiles(roles);
    return plan;
}

}  // namespace wb
