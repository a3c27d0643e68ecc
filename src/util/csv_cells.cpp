#include "util/csv_cells.h"

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

}  // namespace wb
