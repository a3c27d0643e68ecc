#include "wasm/page_cycle.h"

#include <algorithm>
#include <chrono>
#include <string_view>

#include <nlohmann/json.hpp>

#include "config/record_fields.h"
#include "file/config_file.h"
#include "file/file_texts.h"
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

nlohmann::ordered_json textCell(const nlohmann::ordered_json& text) { return {{"text", text}}; }

// A digest shows its first 12 digits, the whole in its title.
nlohmann::ordered_json digestCell(const std::string& sha256) {
    return {{"text", sha256.substr(0, 12)}, {"title", sha256}};
}

}  // namespace

bool PageCycle::begin(const HuntPlan& plan) {
    if (busy()) return false;
    cycle_.reset();
    run_ = nullptr;
    audit_ = nullptr;
    plan_ = plan;
    device_ = BeaconDevice{};
    messages_.clear();
    rows_.clear();
    audited_.clear();
    backups_.clear();
    summarised_ = false;
    events_ = 0;
    port_.setPortName(comm_.attachedName());
    return true;
}

bool PageCycle::startRun(const HuntPlan& plan, bool noLimit) {
    if (!begin(plan)) return false;
    auto run = std::make_unique<PlanRun>(plan_, device_, port_, *this, PlanRunOptions{noLimit, false});
    run_ = run.get();
    run->watchLink(link_);
    cycle_ = std::move(run);
    return true;
}

bool PageCycle::startAudit(const HuntPlan& plan) {
    if (!begin(plan)) return false;
    auto audit = std::make_unique<PlanAudit>(plan_, device_, port_, *this);
    audit_ = audit.get();
    cycle_ = std::move(audit);
    return true;
}

std::uint32_t PageCycle::tick() {
    events_ = 0;
    if (!busy()) return kOperationEnded;
    // The name the page gives the port, also for one opened again.
    port_.setPortName(comm_.attachedName());
    cycle_->tick();
    if (cycle_->finished()) {
        events_ |= kOperationEnded;
        ended();
    }
    return events_;
}

void PageCycle::stop() {
    if (!busy()) return;
    cycle_->stop();
    // An audit ends at once: no tick follows to sum it up.
    if (cycle_->finished()) ended();
}

void PageCycle::ended() {
    if (summarised_ || audit_ == nullptr) return;
    for (const std::string& line : audit_->summary()) messages_.push_back(line);
    summarised_ = true;
}

bool PageCycle::nextTickReads() const { return busy() && tickDrainsLine(device_, comm_); }

bool PageCycle::ok() const {
    if (!cycle_ || !cycle_->finished()) return false;
    return run_ != nullptr ? run_->allProgrammed() : audit_->ok();
}

std::vector<std::string> PageCycle::summary() const {
    if (run_ != nullptr) return {run_->summary()};
    if (audit_ != nullptr) return audit_->summary();
    return {};
}

std::string PageCycle::status() const {
    std::string text;
    if (!cycle_) {
    } else if (cycle_->finished()) {
        text = joined(summary());
    } else if (cycle_->exchangeShown()) {
        text = device_.statusText;
    } else if (!messages_.empty()) {
        text = messages_.back();
    }
    return asciiJson(lineJson(text));
}

std::string PageCycle::messagesJson() const {
    auto list = nlohmann::ordered_json::array();
    for (const std::string& line : messages_) list.push_back(lineJson(line));
    return asciiJson(list);
}

std::string PageCycle::tableJson() const {
    nlohmann::ordered_json table;
    auto rows = nlohmann::ordered_json::array();
    if (audit_ != nullptr) {
        table["caption"] = "Beacons checked";
        table["columns"] = {"Name", "Text", "Version", "Result", "SHA-256", "Differences"};
        for (const Audited& row : audited_) {
            const AuditedBeacon& b = row.beacon;
            auto lines = nlohmann::ordered_json::array();
            if (b.entry != AuditedBeacon::kNoEntry && !b.differences.empty()) {
                for (const ShownDifference& d : shownDifferences(b.record, audit_->planned(b.entry))) {
                    lines.push_back(audit_text::difference(d.label, d.a, d.b));
                }
            }
            rows.push_back({{"result", b.result},
                            {"cells",
                             {textCell(b.name), textCell(shownValue(recordField("morseText"), b.record)),
                              textCell(latin1Json(b.version)), textCell(b.result), digestCell(b.sha256),
                              {{"text", ""}, {"lines", std::move(lines)}}}}});
        }
    } else {
        table["caption"] = "Beacons done";
        table["columns"] = {"Name", "Version", "Status", "SHA-256", "Backup"};
        for (const PlanReportRow& row : rows_) {
            nlohmann::ordered_json backup = textCell("");
            if (!row.backup.empty()) backup["backup"] = row.backup;
            rows.push_back({{"result", row.status},
                            {"cells",
                             {textCell(row.name), textCell(latin1Json(row.version)), textCell(row.status),
                              digestCell(row.sha256), std::move(backup)}}});
        }
    }
    table["rows"] = std::move(rows);
    return asciiJson(table);
}

std::string PageCycle::reportCsv() const {
    if (audit_ != nullptr) {
        std::string csv = auditReportHeader();
        for (const Audited& row : audited_) csv += auditReportLine(auditReportRow(row.beacon, row.time));
        return csv;
    }
    std::string csv = planReportHeader();
    for (const PlanReportRow& row : rows_) csv += planReportLine(row);
    return csv;
}

std::string PageCycle::utcNow() { return utcTimeText(std::chrono::system_clock::now()); }

void PageCycle::message(const std::string& line) { messages_.push_back(line); }

bool PageCycle::saveBackup(const std::string& name, const ConfigImage& image, std::string& pathOrError) {
    const std::string file = backupFileName(name, [this](const std::string& candidate) {
        return std::any_of(backups_.begin(), backups_.end(),
                           [&](const Backup& backup) { return backup.name == candidate; });
    });
    const Outcome saved = saveImageFile(file, image, files_);
    if (saved != Outcome::FileSaved) {
        pathOrError = std::string(fileOutcomeText(saved)) + ": the backup " + file;
        return false;
    }
    backups_.push_back({file, files_.take(file)});
    events_ |= kBackupReady;
    pathOrError = file;
    return true;
}

bool PageCycle::row(const PlanReportRow& row) {
    rows_.push_back(row);
    events_ |= kPlanRow;
    return true;
}

bool PageCycle::beacon(const AuditedBeacon& beacon) {
    audited_.push_back({utcNow(), beacon});
    events_ |= kPlanRow;
    return true;
}

}  // namespace wb
