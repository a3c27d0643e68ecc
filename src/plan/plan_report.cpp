#include "plan/plan_report.h"

#include <array>

namespace wb {
namespace {

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted.push_back('"');
        quoted.push_back(c);
    }
    quoted.push_back('"');
    return quoted;
}

}  // namespace

std::string planReportHeader() { return "time,name,version,status,sha256,backup\n"; }

std::string planReportLine(const PlanReportRow& row) {
    const std::array<const std::string*, 6> fields{&row.time,   &row.name,   &row.version,
                                                   &row.status, &row.sha256, &row.backup};
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        line += csvField(*fields[i]);
        line.push_back(i + 1 < fields.size() ? ',' : '\n');
    }
    return line;
}

}  // namespace wb
