#include "cli/record_diff.h"

#include "config/record_changes.h"
#include "config/record_json.h"

namespace wb {

std::vector<std::string> recordDifferences(const DeviceConfig& before, const DeviceConfig& after) {
    const nlohmann::ordered_json old = recordToJson(before);
    const nlohmann::ordered_json now = recordToJson(after);
    std::vector<std::string> lines;
    for (const RecordField* field : changedFields(before, after)) {
        const std::string key(field->key);
        lines.push_back(key + ": " + old[key].dump() + " -> " + now[key].dump());
    }
    return lines;
}

}  // namespace wb
