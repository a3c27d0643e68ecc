// The hunt plan's part of the module's interface (module_session.cpp has
// the buffers and the rest): check a plan file, show what each beacon will
// store, run it tick by tick on the page's port, and audit it.

#include <algorithm>
#include <cstdint>
#include <string>

#include "config/record_fields.h"
#include "plan/plan_texts.h"
#include "wasm/module_interface.h"
#include "wasm/page_form_plan.h"
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
const std::string kSameTextLabel = "Allow the same text on two beacons";
// The options keep a view of the name: it lives as long as the module.
const std::string kSameTextOption = '"' + kSameTextLabel + '"';

PlanCheckOptions checkOptions(std::int32_t noLimit, std::int32_t allowSameText) {
    return PlanCheckOptions{noLimit != 0, allowSameText != 0, kSameTextOption};
}

std::int32_t code(PagePlan::LoadResult result) { return static_cast<std::int32_t>(result); }

}  // namespace

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
WB_EXPORT(wb_plan_same_text_label) std::uint32_t wbPlanSameTextLabel() { return give(kSameTextLabel); }
WB_EXPORT(wb_plan_error) std::uint32_t wbPlanError() { return give(plan().error()); }
WB_EXPORT(wb_plan_base_name) std::uint32_t wbPlanBaseName() { return give(plan().baseFileName()); }
WB_EXPORT(wb_plan_table) std::uint32_t wbPlanTable() { return give(plan().tableJson()); }

// The run, on the port attached with wb_attach_port.
WB_EXPORT(wb_plan_start) std::int32_t wbPlanStart() { return plan().start(); }
WB_EXPORT(wb_plan_tick) std::uint32_t wbPlanTick() { return plan().tick(); }
WB_EXPORT(wb_plan_stop) void wbPlanStop() { plan().stop(); }
WB_EXPORT(wb_plan_busy) std::int32_t wbPlanBusy() { return plan().busy(); }
WB_EXPORT(wb_plan_tick_reads) std::int32_t wbPlanTickReads() { return plan().nextTickReads(); }
WB_EXPORT(wb_plan_status) std::uint32_t wbPlanStatus() { return give(plan().status()); }
WB_EXPORT(wb_plan_messages) std::uint32_t wbPlanMessages() { return give(plan().messagesJson()); }
WB_EXPORT(wb_plan_rows) std::uint32_t wbPlanRows() { return give(plan().rowsJson()); }
WB_EXPORT(wb_plan_all_programmed) std::int32_t wbPlanAllProgrammed() { return plan().allProgrammed(); }
WB_EXPORT(wb_plan_report) std::uint32_t wbPlanReport() { return give(plan().reportCsv()); }
WB_EXPORT(wb_plan_sheet) std::uint32_t wbPlanSheet() { return give(plan().sheetHtml()); }
WB_EXPORT(wb_plan_backup_count) std::uint32_t wbPlanBackupCount() {
    return static_cast<std::uint32_t>(plan().backupCount());
}
WB_EXPORT(wb_plan_backup_name) std::uint32_t wbPlanBackupName(std::uint32_t index) {
    return index < plan().backupCount() ? give(plan().backupName(index)) : give(std::string());
}
WB_EXPORT(wb_plan_backup) std::uint32_t wbPlanBackup(std::uint32_t index) {
    if (index >= plan().backupCount()) return give(std::string());
    const auto& bytes = plan().backupBytes(index);
    return give(std::string(bytes.begin(), bytes.end()));
}

// The audit of the checked plan, on the port attached with wb_attach_port:
// each beacon read and compared, none written.
WB_EXPORT(wb_audit_start) std::int32_t wbAuditStart() { return plan().startAudit(); }
WB_EXPORT(wb_audit_tick) std::uint32_t wbAuditTick() { return plan().audit().tick(); }
WB_EXPORT(wb_audit_stop) void wbAuditStop() { plan().audit().stop(); }
WB_EXPORT(wb_audit_busy) std::int32_t wbAuditBusy() { return plan().audit().busy(); }
WB_EXPORT(wb_audit_tick_reads) std::int32_t wbAuditTickReads() { return plan().audit().nextTickReads(); }
WB_EXPORT(wb_audit_ok) std::int32_t wbAuditOk() { return plan().audit().ok(); }
WB_EXPORT(wb_audit_status) std::uint32_t wbAuditStatus() { return give(plan().audit().status()); }
WB_EXPORT(wb_audit_messages) std::uint32_t wbAuditMessages() { return give(plan().audit().messagesJson()); }
WB_EXPORT(wb_audit_rows) std::uint32_t wbAuditRows() { return give(plan().audit().rowsJson()); }
WB_EXPORT(wb_audit_report) std::uint32_t wbAuditReport() { return give(plan().audit().reportCsv()); }
