#include "cli/plan_loading.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli/usage_error.h"
#include "plan/plan_parse.h"

namespace wb {
namespace {

// A plan is a few kilobytes; anything near this is not one.
constexpr std::size_t kMaxPlanBytes = 1 << 20;

std::string readPlanText(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) throw UsageError("Could not read " + path);
    std::ifstream in(path, std::ios::binary);
    std::string text;
    text.resize(kMaxPlanBytes + 1);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) throw UsageError("Could not read " + path);
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxPlanBytes) throw UsageError(path + ": larger than 1 MiB, not a plan");
    return text;
}

ConfigImage readBaseImage(const std::string& planPath, const PlanSource& source) {
    const std::filesystem::path path =
        std::filesystem::path(planPath).parent_path() / std::filesystem::path(source.baseFile);
    ConfigImage image{};
    if (PlanError error = loadBaseImage(source, path.string(), systemFileOps(), image)) {
        throw UsageError(*error);
    }
    return image;
}

}  // namespace

HuntPlan loadHuntPlan(const std::string& planPath, const PlanCheckOptions& options) {
    PlanSource source;
    if (PlanError error = parsePlan(readPlanText(planPath), source)) {
        throw UsageError(planPath + ": " + *error);
    }
    std::optional<ConfigImage> baseImage;
    if (!source.baseFile.empty()) baseImage = readBaseImage(planPath, source);
    HuntPlan plan;
    if (PlanError error = buildPlan(source, baseImage, options, plan)) {
        throw UsageError(planPath + ": " + *error);
    }
    return plan;
}

}  // namespace wb
