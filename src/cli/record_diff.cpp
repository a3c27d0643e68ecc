#include "cli/record_diff.h"

#include "config/record_json.h"

namespace wb {

std::vector<std::string> recordDifferences(const DeviceConfig& before, const DeviceConfig& after) {
    const nlohmann::ordered_json old = recordToJson(before);
    const nlohmann::ordered_json now = recordToJson(after);
    std::vector<std::string> lines;
    for (const auto& [key, value] : now.items()) {
        const auto was = old.find(key);
        if (was != old.end() && *was == value) continue;
        const std::string oldText = was == old.end() ? "-" : was->dump();
        lines.push_back(key + ": " + oldText + " -> " + value.dump());
    }
    return lines;
}

}  // namespace wb
