#include "plan/sheet_event.h"

#include <map>
#include <vector>

#include "plan/beacon_identity.h"
#include "plan/event_time.h"
#include "plan/sheet_html.h"

namespace wb {
namespace {

// The drawing's units: a label column, then the cycle.
constexpr int kLabelWidth = 90;
constexpr int kCycleWidth = 900;
constexpr int kRowHeight = 24;
constexpr int kAxisHeight = 18;

std::string num(double v) { return std::to_string(static_cast<long long>(v + 0.5)); }

}  // namespace

std::string sheetSwitchOnRow(const HuntPlan& plan) {
    if (!plan.event) return {};
    std::string html = "<tr><th class=\"row\">Switch on at</th>";
    for (std::size_t i = 0; i < plan.entries.size(); ++i) {
        const BeaconTiming& timing = entryTiming(plan, i);
        html += "<td>";
        if (timing.slot) {
            html += escapedHtml(clockText(timing.switchOnSec, plan.event->start.offsetMin,
                                          plan.event->start.utcSec)) +
                    "<br><span class=\"box wide\"></span>";
        } else {
            html += "any time before the start";
        }
        html += "</td>";
    }
    return html + "</tr>\n";
}

std::string sheetCycleDrawing(const HuntPlan& plan) {
    if (!plan.event) return {};
    const PlanEvent& event = *plan.event;
    std::map<std::int64_t, std::vector<std::size_t>> rows;  // entries by kHz
    for (std::size_t i = 0; i < plan.entries.size(); ++i) rows[storedTxKHz(plan.entries[i].stored)].push_back(i);
    const double scale = static_cast<double>(kCycleWidth) / event.cycleSec;
    const int height = kAxisHeight + kRowHeight * static_cast<int>(rows.size());
    std::string svg = "<svg class=\"cycle\" viewBox=\"0 0 " + std::to_string(kLabelWidth + kCycleWidth + 10) + " " +
                      std::to_string(height + 4) + "\" role=\"img\" aria-label=\"One cycle of " +
                      std::to_string(event.cycleSec) + " s\">\n";
    for (std::int64_t at = 0; at <= event.cycleSec; at += event.slotSec) {
        const std::string x = num(kLabelWidth + at * scale);
        svg += "<line x1=\"" + x + "\" y1=\"" + std::to_string(kAxisHeight - 4) + "\" x2=\"" + x + "\" y2=\"" +
               std::to_string(height) + "\" stroke=\"#999\"/>";
        svg += "<text x=\"" + x + "\" y=\"11\" font-size=\"10\" text-anchor=\"middle\">" + std::to_string(at) +
               " s</text>\n";
    }
    int y = kAxisHeight;
    for (const auto& [kHz, entries] : rows) {
        svg += "<text x=\"0\" y=\"" + std::to_string(y + 16) + "\" font-size=\"11\">" + frequencyText(kHz) +
               " MHz</text>\n";
        for (const std::size_t i : entries) {
            const BeaconTiming& timing = entryTiming(plan, i);
            const bool continuous = !timing.slot;
            const double from = continuous ? 0 : *timing.slot * static_cast<double>(event.slotSec);
            const double width = continuous ? event.cycleSec : event.slotSec;
            const std::string x = num(kLabelWidth + from * scale);
            svg += "<rect x=\"" + x + "\" y=\"" + std::to_string(y + 3) + "\" width=\"" + num(width * scale) +
                   "\" height=\"" + std::to_string(kRowHeight - 6) +
                   "\" fill=\"#eee\" stroke=\"#000\" stroke-width=\"0.8\"/>";
            svg += "<text x=\"" + num(kLabelWidth + (from + width / 2) * scale) + "\" y=\"" +
                   std::to_string(y + 16) + "\" font-size=\"11\" text-anchor=\"middle\">" +
                   escapedHtml(plan.entries[i].name) + (continuous ? " (all the time)" : "") + "</text>\n";
        }
        y += kRowHeight;
    }
    return "<p>One cycle of " + std::to_string(event.cycleSec) + " s, slots of " + std::to_string(event.slotSec) +
           " s:</p>\n" + svg + "</svg>\n";
}

}  // namespace wb
