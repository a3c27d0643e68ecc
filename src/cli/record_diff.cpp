#include "cli/record_diff.h"

#include "config/record_changes.h"
#include "config/record_json.h"
#include "util/shown_text.h"

namespace wb {

std::vector<std::string> recordDifferences(const DeviceConfig& before, const DeviceConfig& after) {
    const nlohmann::ordered_json old = recordToJson(before);
    const nlohmann::ordered_json now = recordToJson(after);
    std::vector<std::string> lines;
    for (const RecordField* field : changedFields(before, after)) {
        const std::string key(field->key);
        // JSON escapes C0 controls; DEL and C1 would still reach the terminal.
        lines.push_back(shownText(key + ": " + old[key].dump() + " -> " + now[key].dump()));
    }
    return lines;
}

}  // namespace wb
