#include "plan/hunt_sheet.h"

#include <vector>

#include "plan/audit_texts.h"
#include "plan/field_text.h"
#include "plan/plan_report.h"
#include "plan/plan_texts.h"
#include "plan/sheet_event.h"
#include "plan/sheet_html.h"
#include "util/csv_cells.h"

namespace wb {
namespace {

std::string escaped(std::string_view text) { return escapedHtml(text); }

constexpr std::string_view kStyle = R"(
@page { size: landscape; margin: 10mm; }
body { font-family: sans-serif; font-size: 9pt; margin: 0; }
h1 { font-size: 13pt; margin: 0 0 2mm; }
p { margin: 0 0 2mm; }
.digest { font-family: monospace; font-size: 7.5pt; }
table { border-collapse: collapse; width: 100%; table-layout: fixed; }
th, td { border: 0.3mm solid #444; padding: 0.6mm 1.2mm; text-align: left; vertical-align: top;
         overflow-wrap: anywhere; }
th { background: #eee; }
th.row { width: 28mm; }
td.tones { font-size: 7pt; }
.box { display: inline-block; width: 4mm; height: 4mm; border: 0.3mm solid #000; }
.box.wide { width: 16mm; margin-top: 1mm; }
svg.cycle { width: 100%; max-height: 60mm; margin-top: 3mm; }
)";

}  // namespace

std::map<std::string, SheetMark> sheetMarks(std::string_view reportCsv) {
    std::map<std::string, SheetMark> marks;
    const auto rows = parseCsv(reportCsv);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& row = rows[i];
        if (row.size() < 4 || (i == 0 && row[0] == "time")) continue;
        // A stranger's row goes by its Morse text, which may be an entry's
        // name: it is no row of that entry.
        if (row[3] == audit_text::kNotInPlan) continue;
        marks[row[1]] = SheetMark{row[0], row[3]};
    }
    return marks;
}

std::string huntSheetHtml(const HuntPlan& plan, const SheetSource& source) {
    std::string html = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">\n<title>Hunt sheet: " +
                       escaped(source.planFileName) + "</title>\n<style>" + std::string(kStyle) +
                       "</style></head>\n<body>\n";
    html += "<h1>Hunt sheet: " + escaped(source.planFileName) + "</h1>\n";
    html += "<p>Model: " + escaped(modelTitle(plan.model)) + ". " +
            std::to_string(plan.entries.size()) + " beacons. Plan SHA-256: <span class=\"digest\">" +
            escaped(source.planSha256) + "</span></p>\n";
    html += "<table>\n<tr><th class=\"row\">Beacon</th>";
    for (const PlanEntry& entry : plan.entries) html += "<th>" + escaped(entry.name) + "</th>";
    html += "</tr>\n";
    for (const RecordField& field : kRecordFields) {
        if (field.kind == FieldKind::Model || !layoutCarries(plan.model, field)) continue;
        html += "<tr><th class=\"row\">" + escaped(fieldTitle(field));
        if (!field.unit.empty()) html += " (" + escaped(field.unit) + ")";
        html += "</th>";
        // Every entry of the tone list, so that two lists never look alike.
        const bool tones = field.kind == FieldKind::Tones;
        const ValueView view{false, ValueView::Tones::Full};
        for (const PlanEntry& entry : plan.entries) {
            html += tones ? "<td class=\"tones\">" : "<td>";
            html += escaped(shownValue(field, entry.stored, view)) + "</td>";
        }
        html += "</tr>\n";
    }
    if (!source.marks.empty()) {
        html += "<tr><th class=\"row\">Last report</th>";
        for (const PlanEntry& entry : plan.entries) {
            const auto mark = source.marks.find(entry.name);
            html += "<td>";
            if (mark != source.marks.end()) {
                html += escaped(mark->second.time) + "<br>" + escaped(mark->second.result);
            }
            html += "</td>";
        }
        html += "</tr>\n";
    }
    html += sheetSwitchOnRow(plan);
    for (std::string_view tick : {"programmed", "checked"}) {
        html += "<tr><th class=\"row\">" + std::string(tick) + "</th>";
        for (std::size_t i = 0; i < plan.entries.size(); ++i) html += "<td><span class=\"box\"></span></td>";
        html += "</tr>\n";
    }
    html += "</table>\n" + sheetCycleDrawing(plan) + "</body></html>\n";
    return html;
}

}  // namespace wb
