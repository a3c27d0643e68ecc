#include "plan/plan_report.h"

#include <cstdio>

#include "util/csv_cells.h"

namespace wb {

std::string planReportHeader() { return "time,name,version,status,sha256,backup\n"; }

std::string planReportLine(const PlanReportRow& row) {
    return csvLine({row.time, row.name, row.version, row.status, row.sha256, row.backup});
}

std::string auditReportHeader() { return "time,name,version,result,sha256,differences\n"; }

std::string auditReportLine(const AuditReportRow& row) {
    std::string differences;
    for (const std::string& key : row.differences) {
        if (!differences.empty()) differences.push_back(' ');
        differences += key;
    }
    return csvLine({row.time, row.name, row.version, row.result, row.sha256, differences});
}

std::string utcTimeText(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const auto second = floor<seconds>(when);
    const auto day = floor<days>(second);
    const year_month_day date{day};
    const hh_mm_ss time{second - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text;
}

std::string backupFileName(const std::string& name, const std::function<bool(const std::string&)>& taken) {
    std::string stem;
    for (char c : name) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        stem.push_back(plain ? c : '_');
    }
    stem += "-before";
    std::string file = stem + ".wb1";
    for (int attempt = 2; taken(file); ++attempt) {
        file = stem;
        file.push_back('-');
        file += std::to_string(attempt);
        file += ".wb1";
    }
    return file;
}

}  // namespace wb
