// The WebAssembly module's interface to the page: plain C functions over
// numbers, and text or bytes through the buffers of module_buffers.cpp.

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/outcome.h"
#include "config/record_fields.h"
#include "wasm/module_interface.h"
#include "wasm/page_fields.h"
#include "wasm/page_json.h"
#include "wasm/page_session.h"

namespace wb::module {

PageSession& session() {
    static PageSession instance;
    return instance;
}

}  // namespace wb::module

namespace {

using namespace wb;
using module::give;
using module::inputText;
using module::session;

std::uint32_t give(const std::vector<std::uint8_t>& bytes) {
    return give(std::string(bytes.begin(), bytes.end()));
}

std::string changesJson(const std::vector<FieldChange>& changes) {
    auto list = nlohmann::ordered_json::array();
    for (const FieldChange& change : changes) {
        list.push_back({{"id", change.id}, {"from", latin1Json(change.from)}, {"to", latin1Json(change.to)}});
    }
    return asciiJson(list);
}

}  // namespace

// The form: the dialog's controls by identifier, written one at a time,
// read all at once: [{"id":..,"text":..|"checked":..,"enabled":..}] in the
// form's order.
WB_EXPORT(wb_set_text) void wbSetText(std::int32_t id, std::uint32_t length) {
    session().controls().setText(id, std::string(inputText(length)));
}
WB_EXPORT(wb_set_checked) void wbSetChecked(std::int32_t id, std::int32_t checked) {
    session().controls().setChecked(id, checked != 0);
}
WB_EXPORT(wb_form) std::uint32_t wbForm() {
    PageControls& controls = session().controls();
    auto list = nlohmann::ordered_json::array();
    for (const PageField& field : kPageFields) {
        nlohmann::ordered_json control = {{"id", field.id}};
        if (field.field.kind == FieldKind::Flag) {
            control["checked"] = controls.isChecked(field.id);
        } else {
            control["text"] = latin1Json(controls.text(field.id, DialogControls::kWholeText));
        }
        control["enabled"] = controls.isEnabled(field.id);
        list.push_back(std::move(control));
    }
    return give(asciiJson(list));
}
WB_EXPORT(wb_model) std::int32_t wbModel() { return static_cast<std::int32_t>(session().device().config.model); }
WB_EXPORT(wb_choose_model) std::uint32_t wbChooseModel(std::int32_t code) {
    return session().chooseModel(modelFromCode(code));
}
WB_EXPORT(wb_set_no_limit) void wbSetNoLimit(std::int32_t on) { session().setNoLimit(on != 0); }
WB_EXPORT(wb_stored_values) std::uint32_t wbStoredValues() { return give(changesJson(session().storedValues())); }
WB_EXPORT(wb_pending_changes) std::uint32_t wbPendingChanges() {
    if (!session().knowsBeaconImage()) return give(std::string("null"));
    return give(changesJson(session().pendingChanges()));
}

// The device commands and the tick.
WB_EXPORT(wb_attach_port) void wbAttachPort(std::int32_t available, std::uint32_t nameLength) {
    session().attachPort(available != 0, std::string(inputText(nameLength)));
}
// The port was lost under the operation: reason 1 the device is gone, 2
// another failure; unsent: bytes of the last queue taken that never went out.
WB_EXPORT(wb_port_lost) void wbPortLost(std::int32_t reason, std::uint32_t unsent) {
    const IoFailure failure = reason == 1 ? IoFailure::DeviceGone : reason == 2 ? IoFailure::OtherError : IoFailure::Unknown;
    session().losePort(failure, unsent);
}
WB_EXPORT(wb_lost_port_text) std::uint32_t wbLostPortText() { return give(session().lostPortText()); }
WB_EXPORT(wb_read_version) std::uint32_t wbReadVersion() { return session().readVersion(); }
WB_EXPORT(wb_read_config) std::uint32_t wbReadConfig() { return session().readConfig(); }
WB_EXPORT(wb_write_config) std::uint32_t wbWriteConfig(std::int32_t backupFirst) {
    return session().writeConfig(backupFirst != 0);
}
WB_EXPORT(wb_tick) std::uint32_t wbTick() { return session().tick(); }
WB_EXPORT(wb_busy) std::int32_t wbBusy() { return session().busy(); }
WB_EXPORT(wb_tick_reads) std::int32_t wbTickReads() { return session().nextTickReads(); }
// The status line and what the last operation came to: {"text":..,
// "outcome":"success"|"failure"|""}, "" while nothing has finished.
WB_EXPORT(wb_status) std::uint32_t wbStatus() {
    const Outcome outcome = session().outcome();
    const char* typed = outcome == Outcome::None ? "" : isSuccess(outcome) ? "success" : "failure";
    return give(asciiJson({{"text", latin1Json(session().status())}, {"outcome", typed}}));
}
WB_EXPORT(wb_backup_file) std::uint32_t wbBackupFile() { return give(session().backupFile()); }

// Bytes between the line and the module.
WB_EXPORT(wb_comm_arrive) void wbCommArrive(std::uint32_t length) {
    const std::span<const std::uint8_t> bytes = module::inputBytes(length);
    session().comm().arrive(bytes.data(), bytes.size());
}
WB_EXPORT(wb_comm_pending) std::uint32_t wbCommPending() {
    return static_cast<std::uint32_t>(session().comm().pendingBytes());
}
// Three bytes for each byte to send: the byte, then its pause in ms as a
// little-endian 16-bit number.
WB_EXPORT(wb_comm_take) std::uint32_t wbCommTake() {
    std::string out;
    for (const PageComm::Outgoing& item : session().comm().takeOutgoing()) {
        const std::uint32_t pause = item.pauseMs > 0xFFFF ? 0xFFFF : item.pauseMs;
        out += static_cast<char>(item.byte);
        out += static_cast<char>(pause & 0xFF);
        out += static_cast<char>(pause >> 8);
    }
    return give(out);
}

// The record as JSON, in the command line's format.
WB_EXPORT(wb_json_export) std::uint32_t wbJsonExport() { return give(session().exportJson()); }
// Empty when the text was taken; else why not ("KEY: what").
WB_EXPORT(wb_json_import) std::uint32_t wbJsonImport(std::uint32_t length) {
    return give(session().importJson(inputText(length)));
}

// Files.
WB_EXPORT(wb_save) std::uint32_t wbSave() { return session().save(); }
WB_EXPORT(wb_saved_file) std::uint32_t wbSavedFile() { return give(session().savedFile()); }
WB_EXPORT(wb_load) std::uint32_t wbLoad(std::uint32_t length) {
    const std::span<const std::uint8_t> bytes = module::inputBytes(length);
    return session().load(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

