#include "plan/plan_report.h"

#include <cstdio>

namespace wb {
namespace {

// A spreadsheet runs a cell that begins with one of these as a formula
// (=HYPERLINK(...) in a beacon's name); a leading ' keeps it text.
bool startsFormula(std::string_view text) {
    return !text.empty() && std::string_view("=+-@").find(text.front()) != std::string_view::npos;
}

}  // namespace

std::string csvCell(std::string_view value) {
    std::string text = startsFormula(value) ? "'" : "";
    text += value;
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted.push_back('"');
        quoted.push_back(c);
    }
    quoted.push_back('"');
    return quoted;
}

std::string csvLine(const std::vector<std::string>& cells) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i != 0) line.push_back(',');
        line += csvCell(cells[i]);
    }
    line.push_back('\n');
    return line;
}

std::vector<std::vector<std::string>> parseCsv(std::string_view text) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string cell;
    bool quoted = false;
    bool any = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                cell.push_back('"');
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cell.push_back(c);
            }
            continue;
        }
        any = true;
        if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row.push_back(std::move(cell));
            cell.clear();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            row.push_back(std::move(cell));
            cell.clear();
            rows.push_back(std::move(row));
            row.clear();
            any = false;
        } else {
            cell.push_back(c);
        }
    }
    if (any || quoted || !cell.empty()) {
        row.push_back(std::move(cell));
        rows.push_back(std::move(row));
    }
    // Undo csvCell's guard, so a name reads back as it was.
    for (auto& r : rows) {
        for (std::string& c : r) {
            if (c.size() > 1 && c.front() == '\'' && startsFormula(std::string_view(c).substr(1))) {
                c.erase(0, 1);
            }
        }
    }
    return rows;
}

std::string csvRowEnd(std::string_view text) {
    // Quotes alternate in and out of a cell; a doubled quote inside one
    // is two steps that end where they began. Only the last state counts.
    bool quoted = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
    }
    if (quoted) return "\"\n";
    return text.empty() || text.back() == '\n' ? "" : "\n";
}

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
