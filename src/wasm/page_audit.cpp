#include "wasm/page_audit.h"

#include <chrono>
#include <string_view>

#include <nlohmann/json.hpp>

#include "config/record_fields.h"
#include "plan/audit_texts.h"
#include "plan/field_text.h"
#include "plan/plan_report.h"
#include "wasm/page_json.h"
#include "wasm/page_session.h"

namespace wb {

namespace {

bool validUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2) return false;
        }
        i += length;
    }
    return true;
}

// A beacon's own text is single bytes (Latin-1); names and the form's
// values are UTF-8. A line that is not UTF-8 holds a beacon's text.
nlohmann::ordered_json lineJson(const std::string& line) {
    if (validUtf8(line)) return line;
    return latin1Json(line);
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : ". ") + line;
    return text;
}

}  // namespace

bool PageAudit::start(const HuntPlan& plan) {
    if (busy()) return false;
    audit_.reset();
    plan_ = plan;
    device_ = BeaconDevice{};
    messages_.clear();
    rows_.clear();
    summarised_ = false;
    events_ = 0;
    port_.setPortName(comm_.attachedName());
    audit_.emplace(plan_, device_, port_, *this);
    return true;
}

std::uint32_t PageAudit::tick() {
    events_ = 0;
    if (!busy()) return kOperationEnded;
    port_.setPortName(comm_.attachedName());
    audit_->tick();
    if (audit_->finished()) {
        events_ |= kOperationEnded;
        summarise();
    }
    return events_;
}

void PageAudit::summarise() {
    if (summarised_) return;
    for (const std::string& line : audit_->summary()) messages_.push_back(line);
    summarised_ = true;
}

void PageAudit::stop() {
    if (!busy()) return;
    audit_->stop();
    // stop() ends the audit at once: no tick follows to summarise it.
    if (audit_->finished()) summarise();
}

bool PageAudit::nextTickReads() const { return busy() && tickDrainsLine(device_, comm_); }

std::string PageAudit::status() const {
    std::string text;
    if (!audit_) {
    } else if (audit_->finished()) {
        text = joined(audit_->summary());
    } else if (audit_->exchangeShown()) {
        text = device_.statusText;
    } else if (!messages_.empty()) {
        text = messages_.back();
    }
    return asciiJson(lineJson(text));
}

std::string PageAudit::messagesJson() const {
    auto list = nlohmann::ordered_json::array();
    for (const std::string& line : messages_) list.push_back(lineJson(line));
    return asciiJson(list);
}

std::string PageAudit::rowsJson() const {
    auto rows = nlohmann::ordered_json::array();
    for (const Row& row : rows_) {
        const AuditedBeacon& b = row.beacon;
        auto differences = nlohmann::ordered_json::array();
        if (b.entry != AuditedBeacon::kNoEntry && !b.differences.empty()) {
            for (const ShownDifference& d : shownDifferences(b.record, audit_->planned(b.entry))) {
                differences.push_back({{"label", d.label},
                                       {"beacon", d.a},
                                       {"plan", d.b},
                                       {"text", audit_text::difference(d.label, d.a, d.b)}});
            }
        }
        rows.push_back({{"time", row.time},
                        {"name", b.name},
                        {"text", shownValue(recordField("morseText"), b.record)},
                        {"version", latin1Json(b.version)},
                        {"result", b.result},
                        {"sha256", b.sha256},
                        {"differences", std::move(differences)}});
    }
    return asciiJson(rows);
}

std::string PageAudit::reportCsv() const {
    std::string csv = auditReportHeader();
    for (const Row& row : rows_) {
        csv += auditReportLine(auditReportRow(row.beacon, row.time));
    }
    return csv;
}

std::string PageAudit::utcNow() { return utcTimeText(std::chrono::system_clock::now()); }

void PageAudit::message(const std::string& line) { messages_.push_back(line); }

void PageAudit::beacon(const AuditedBeacon& beacon) {
    rows_.push_back({utcNow(), beacon});
    events_ |= kPlanRow;
}

}  // namespace wb
