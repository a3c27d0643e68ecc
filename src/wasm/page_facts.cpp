#include "wasm/page_facts.h"

#include <string>

#include "config/record_fields.h"
#include "config/record_json.h"
#include "file/file_texts.h"
#include "plan/field_text.h"
#include "serial/serial_port.h"
#include "wasm/page_fields.h"
#include "wasm/page_plan.h"
#include "wasm/page_session.h"

namespace wb {

nlohmann::ordered_json lineSettingsJson() {
    LineSettings line;
    applyLineSettings(line, SerialPort::kBaudRate);
    const char* parity = line.parity == 1 ? "odd" : line.parity == 2 ? "even" : "none";
    const bool hardwareFlow = line.outxCtsFlow || line.outxDsrFlow;
    return {
        {"baudRate", line.baudRate},
        {"dataBits", line.byteSize},
        {"stopBits", line.stopBits == 2 ? 2 : 1},
        {"parity", parity},
        {"flowControl", hardwareFlow ? "hardware" : "none"},
    };
}

nlohmann::ordered_json fileNamesJson() {
    return {
        {"configExtension", file_text::kConfigExtension},
        {"save", file_text::kProposedFileName},
        {"backup", file_text::kBackupFileName},
        {"json", "config1.json"},
        {"plan", "hunt-plan.json"},
        {"runReport", "hunt-report.csv"},
        {"auditReport", "audit-report.csv"},
        {"clockLog", "hunt-clock-log.csv"},
    };
}

nlohmann::ordered_json flagTextsJson() { return {flagText(false), flagText(true)}; }

nlohmann::ordered_json pageEnumsJson() {
    using Load = PagePlan::LoadResult;
    const auto load = [](Load result) { return static_cast<int>(result); };
    return {
        {"events",
         {
             {"showForm", kShowForm},
             {"backupReady", kBackupReady},
             {"truncated", kTruncated},
             {"operationEnded", kOperationEnded},
             {"planRow", kPlanRow},
         }},
        {"planResults",
         {
             {"ready", load(Load::Ready)},
             {"refused", load(Load::Refused)},
             {"needsBaseFile", load(Load::NeedsBaseFile)},
         }},
    };
}

nlohmann::ordered_json formFieldsJson() {
    auto rows = nlohmann::ordered_json::array();
    for (auto& row : recordFieldsJson()) {
        for (const PageField& field : kPageFields) {
            if (row["key"] == field.field.key) {
                row["id"] = field.id;
                rows.push_back(row);
            }
        }
    }
    return rows;
}

nlohmann::ordered_json formGroupsJson() {
    auto groups = nlohmann::ordered_json::array();
    for (const PageFieldGroup& field : kPageFieldGroups) {
        if (groups.empty() || groups.back()["title"] != field.group) {
            groups.push_back({{"title", field.group}, {"keys", nlohmann::ordered_json::array()}});
        }
        groups.back()["keys"].push_back(field.key);
    }
    return groups;
}

}  // namespace wb
