// The hunt plan's part of the module's interface (module_session.cpp has
// the buffers and the rest): check a plan file, show what each beacon will
// store, and run or audit it tick by tick on the page's port.

#include <algorithm>
#include <cstdint>
#include <string>

#include "config/record_fields.h"
#include "plan/plan_texts.h"
#include "wasm/module_interface.h"
#include "wasm/page_clock.h"
#include "wasm/page_form_plan.h"
#include "wasm/page_json.h"
#include "wasm/page_plan.h"
#include "wasm/page_session.h"

namespace {

using namespace wb;
using module::give;
using module::inputText;

PagePlan& plan() {
    static PagePlan instance(module::session().comm());
    return instance;
}

// The page's check box for --allow-same-text: the page labels it with this
// text, and a refusal names it so.
constexpr std::string_view kSameTextLabel = "Allow the same text on two beacons";
// The options keep a view of the name: it lives as long as the module.
const std::string kSameTextOption = '"' + std::string(kSameTextLabel) + '"';

PlanCheckOptions checkOptions(std::int32_t noLimit, std::int32_t allowSameText) {
    return PlanCheckOptions{noLimit != 0, allowSameText != 0, kSameTextOption};
}

std::int32_t code(PagePlan::LoadResult result) { return static_cast<std::int32_t>(result); }

}  // namespace

std::string_view wb::module::planSameTextLabel() { return kSameTextLabel; }

// The input holds the file's name, then its text. 0 ready, 1 refused (the
// reason in wb_plan_error), 2 its base file must be chosen first.
WB_EXPORT(wb_plan_load)
std::int32_t wbPlanLoad(std::uint32_t nameLength, std::uint32_t length, std::int32_t noLimit,
                        std::int32_t allowSameText) {
    const std::string_view input = inputText(length);
    const std::size_t split = std::min<std::size_t>(nameLength, input.size());
    return code(plan().load(std::string(input.substr(0, split)), input.substr(split),
                            checkOptions(noLimit, allowSameText)));
}
WB_EXPORT(wb_plan_load_base)
std::int32_t wbPlanLoadBase(std::uint32_t length, std::int32_t noLimit, std::int32_t allowSameText) {
    const std::string_view bytes = inputText(length);
    return code(plan().loadBase(std::vector<std::uint8_t>(bytes.begin(), bytes.end()),
                                checkOptions(noLimit, allowSameText)));
}
WB_EXPORT(wb_plan_check) std::int32_t wbPlanCheck(std::int32_t noLimit, std::int32_t allowSameText) {
    return code(plan().check(checkOptions(noLimit, allowSameText)));
}
// A plan file made from the form and the page's list of beacons (UTF-8,
// one a line: NAME, or NAME and its Morse text): the plan's text.
WB_EXPORT(wb_plan_from_form) std::uint32_t wbPlanFromForm(std::uint32_t length) {
    module::session().exportJson();  // the form into the record, as Export JSON takes it
    return give(formPlanText(module::session().device().config, inputText(length)));
}
// A model's title ("Basic") from its name in a plan or fleet list ("basic").
WB_EXPORT(wb_model_title) std::uint32_t wbModelTitle(std::uint32_t length) {
    return give(std::string(modelTitle(modelFromName(inputText(length)).value_or(DeviceModel::None))));
}
WB_EXPORT(wb_plan_error) std::uint32_t wbPlanError() { return give(plan().error()); }
WB_EXPORT(wb_plan_base_name) std::uint32_t wbPlanBaseName() { return give(plan().baseFileName()); }
WB_EXPORT(wb_plan_table) std::uint32_t wbPlanTable() { return give(plan().tableJson()); }

// The run or the audit of the checked plan, on the port attached with
// wb_attach_port: one cable cycle whichever its step.
WB_EXPORT(wb_plan_start) std::int32_t wbPlanStart() { return plan().start(); }
WB_EXPORT(wb_audit_start) std::int32_t wbAuditStart() { return plan().startAudit(); }
WB_EXPORT(wb_cycle_tick) std::uint32_t wbCycleTick() { return plan().cycle().tick(); }
WB_EXPORT(wb_cycle_stop) void wbCycleStop() { plan().cycle().stop(); }
WB_EXPORT(wb_cycle_busy) std::int32_t wbCycleBusy() { return plan().cycle().busy(); }
WB_EXPORT(wb_cycle_tick_reads) std::int32_t wbCycleTickReads() { return plan().cycle().nextTickReads(); }
// After each tick: {"status":..,"messages":[..],"ok":..}, ok whether every
// beacon so far came out right (the cycle gives its parts as JSON already).
WB_EXPORT(wb_cycle_state) std::uint32_t wbCycleState() {
    const PageCycle& cycle = plan().cycle();
    const nlohmann::ordered_json state = {
        {"status", nlohmann::ordered_json::parse(cycle.status())},
        {"messages", nlohmann::ordered_json::parse(cycle.messagesJson())},
        {"ok", cycle.ok()},
    };
    return give(asciiJson(state));
}
WB_EXPORT(wb_cycle_table) std::uint32_t wbCycleTable() { return give(plan().cycle().tableJson()); }
WB_EXPORT(wb_cycle_report) std::uint32_t wbCycleReport() { return give(plan().cycle().reportCsv()); }
WB_EXPORT(wb_plan_sheet) std::uint32_t wbPlanSheet() { return give(plan().sheetHtml()); }
// The backups the run took so far, by name; wb_plan_backup(index) the bytes.
WB_EXPORT(wb_plan_backup_names) std::uint32_t wbPlanBackupNames() {
    auto names = nlohmann::ordered_json::array();
    // UTF-8, as the results table names them.
    for (std::size_t i = 0; i < plan().cycle().backupCount(); ++i) names.push_back(plan().cycle().backupName(i));
    return give(asciiJson(names));
}
WB_EXPORT(wb_plan_backup) std::uint32_t wbPlanBackup(std::uint32_t index) {
    if (index >= plan().cycle().backupCount()) return give(std::string());
    const auto& bytes = plan().cycle().backupBytes(index);
    return give(std::string(bytes.begin(), bytes.end()));
}

// The hunt clock of the checked plan: its schedule, the clock at a moment
// (UTC seconds, the device's own time) and the log of the taps the page
// kept (JSON in the input).
WB_EXPORT(wb_plan_schedule) std::uint32_t wbPlanSchedule() { return give(pageScheduleJson(plan().checked())); }
WB_EXPORT(wb_hunt_clock) std::uint32_t wbHuntClock(std::int64_t nowSec) {
    return give(pageClockJson(plan().checked(), plan().planSha256(), nowSec));
}
WB_EXPORT(wb_hunt_log) std::uint32_t wbHuntLog(std::uint32_t length) {
    return give(pageClockLog(plan().checked(), inputText(length)));
}
