#include "wasm/page_facts.h"

#include <string>

#include "config/record_fields.h"
#include "file/file_texts.h"
#include "plan/field_text.h"
#include "serial/serial_port.h"

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
    };
}

nlohmann::ordered_json flagTextsJson() { return {flagText(false), flagText(true)}; }

}  // namespace wb
