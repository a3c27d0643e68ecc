#include "cli/plan_loading.h"

#include <filesystem>

#include "cli/cli_options.h"
#include "cli/usage_error.h"
#include "plan/plan_parse.h"

namespace wb {
namespace {

ConfigImage readBaseImage(const std::filesystem::path& path, const PlanSource& source) {
    ConfigImage image{};
    if (PlanError error = loadBaseImage(source, path.string(), systemFileOps(), image)) {
        throw UsageError(*error);
    }
    return image;
}

}  // namespace

HuntPlan loadHuntPlan(const std::string& planPath, const PlanCheckOptions& options,
                      std::string* baseFilePath) {
    PlanSource source;
    if (PlanError error = parsePlan(readInputText(planPath, "The plan"), source)) {
        throw UsageError(planPath + ": " + *error);
    }
    std::optional<ConfigImage> baseImage;
    if (!source.baseFile.empty()) {
        const std::filesystem::path path =
            std::filesystem::path(planPath).parent_path() / std::filesystem::path(source.baseFile);
        if (baseFilePath != nullptr) *baseFilePath = path.string();
        baseImage = readBaseImage(path, source);
    }
    HuntPlan plan;
    if (PlanError error = buildPlan(source, baseImage, options, plan)) {
        throw UsageError(planPath + ": " + *error);
    }
    return plan;
}

}  // namespace wb
