#include "wasm/page_plan.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "file/config_file.h"
#include "file/file_texts.h"
#include "plan/hunt_sheet.h"
#include "plan/plan_texts.h"
#include "util/sha256.h"
#include "wasm/page_json.h"

namespace wb {

// The page reads the module's answers byte by byte, in plain ASCII. Plan
// names are UTF-8 from the plan file; a beacon's texts are single bytes
// (Latin-1), as the command line's JSON has them.

PagePlan::LoadResult PagePlan::refuse(const std::string& why) {
    plan_.reset();
    error_ = why;
    return LoadResult::Refused;
}

PagePlan::LoadResult PagePlan::load(const std::string& fileName, std::string_view text,
                                  const PlanCheckOptions& options) {
    fileName_ = fileName;
    planSha256_ = sha256Hex(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    baseImage_.reset();
    plan_.reset();
    // A plan refused partway keeps none of its beacons: none may be run.
    PlanSource source;
    if (PlanError error = parsePlan(text, source)) {
        source_ = {};
        return refuse(fileName_ + ": " + *error);
    }
    source_ = std::move(source);
    return check(options);
}

PagePlan::LoadResult PagePlan::loadBase(std::vector<std::uint8_t> bytes, const PlanCheckOptions& options) {
    if (source_.beacons.empty()) return refuse("Load a plan first");
    // The file keeps the name the plan gives it, so that a refusal reads as
    // the command line's does.
    files_.put(source_.baseFile, std::move(bytes));
    ConfigImage image{};
    const PlanError error = loadBaseImage(source_, source_.baseFile, files_, image);
    files_.take(source_.baseFile);
    if (error) return refuse(fileName_ + ": " + *error);
    baseImage_ = image;
    return check(options);
}

PagePlan::LoadResult PagePlan::check(const PlanCheckOptions& options) {
    options_ = options;
    // A file that was not a plan keeps its refusal.
    if (source_.beacons.empty()) return refuse(error_.empty() ? "Load a plan first" : error_);
    plan_.reset();
    error_.clear();
    if (!source_.baseFile.empty() && !baseImage_) {
        error_ = "The plan's base file " + source_.baseFile + " is needed: choose it";
        return LoadResult::NeedsBaseFile;
    }
    HuntPlan plan;
    if (PlanError error = buildPlan(source_, baseImage_, options, plan)) {
        return refuse(fileName_ + ": " + *error);
    }
    plan_ = std::move(plan);
    return LoadResult::Ready;
}

std::string PagePlan::tableJson() const {
    nlohmann::ordered_json doc;
    doc["model"] = plan_ ? static_cast<int>(plan_->model) : 0;
    doc["beacons"] = nlohmann::ordered_json::array();
    if (!plan_) return doc.dump();
    for (const PlanEntry& entry : plan_->entries) {
        nlohmann::ordered_json beacon;
        beacon["name"] = entry.name;
        beacon["sha256"] = sha256Hex(entry.image);
        beacon["values"] = nlohmann::ordered_json::array();
        for (const FieldValue& value : formValues(entry.stored, plan_->model)) {
            beacon["values"].push_back({{"id", value.id}, {"text", latin1Json(value.text)}});
        }
        doc["beacons"].push_back(std::move(beacon));
    }
    return asciiJson(doc);
}

bool PagePlan::start() { return plan_ && cycle_.startRun(*plan_, options_.noLimit); }

bool PagePlan::startAudit() { return plan_ && cycle_.startAudit(*plan_); }

std::string PagePlan::sheetHtml() const {
    if (!plan_) return {};
    SheetSource source{fileName_, planSha256_, sheetMarks(cycle_.reportCsv())};
    return huntSheetHtml(*plan_, source);
}

}  // namespace wb
