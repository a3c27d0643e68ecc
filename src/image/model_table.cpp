#include "image/model_table.h"

namespace wb {

std::optional<VersionMatch> matchVersionReply(std::string_view reply, ModelTable models) {
    std::optional<VersionMatch> best;
    std::size_t bestLength = 0;
    for (const ModelInfo& row : models) {
        for (const VersionRule& rule : row.versionRules) {
            if (reply.substr(0, rule.prefix.size()) != rule.prefix) continue;
            if (best && rule.prefix.size() <= bestLength) continue;
            best = VersionMatch{&row, rule.verdict};
            bestLength = rule.prefix.size();
        }
    }
    return best;
}

std::string_view firstIncompatibleFirmware(ModelTable models) {
    for (const ModelInfo& row : models) {
        for (const VersionRule& rule : row.versionRules) {
            if (rule.verdict == VersionVerdict::Incompatible) return rule.prefix;
        }
    }
    return {};
}

}  // namespace wb
