#include "app/form_binding.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/control_ids.h"
#include "app/form_fields.h"
#include "app/form_numbers.h"
#include "config/record_fields.h"
#include "config/record_view.h"

namespace wb {
namespace {

// Read limits of the fields, in characters. The Tones field has none: it
// is read whole and cut to the list's capacity when parsed.
constexpr std::size_t kNumberChars = 99;
constexpr std::size_t kMorseChars = 299;
constexpr std::size_t kPortChars = 99;

// Disabled fields are read too: a member keeps what its field shows.
void readControl(DialogControls& controls, const FormField& control, DeviceConfig& config) {
    const RecordField& field = control.field;
    switch (field.kind) {
    case FieldKind::Text: config.morseText = controls.text(control.id, kMorseChars); break;
    case FieldKind::Integer: config.*field.integer = readFormInteger(controls.text(control.id, kNumberChars)); break;
    case FieldKind::Decimal: config.*field.decimal = readFormDecimal(controls.text(control.id, kNumberChars)); break;
    case FieldKind::Flag: config.*field.flag = controls.isChecked(control.id) ? 1 : 0; break;
    case FieldKind::Tones: parseToneList(controls.text(control.id, DialogControls::kWholeText), config); break;
    case FieldKind::Model:
    case FieldKind::ToneCount: break;
    }
}

void showControl(DialogControls& controls, const FormField& control, const DeviceConfig& config) {
    const RecordField& field = control.field;
    switch (field.kind) {
    case FieldKind::Text: controls.setText(control.id, config.morseText); break;
    case FieldKind::Integer: controls.setText(control.id, shownInteger(field, config.*field.integer)); break;
    case FieldKind::Decimal: controls.setText(control.id, shownDecimal(config.*field.decimal)); break;
    case FieldKind::Flag: controls.setChecked(control.id, config.*field.flag != 0); break;
    case FieldKind::Tones: controls.setText(control.id, formatToneList(config)); break;
    case FieldKind::Model:
    case FieldKind::ToneCount: break;
    }
}

void readControls(DialogControls& controls, FormGroup group, DeviceConfig& config) {
    for (const FormField& control : kFormFields) {
        if (control.group == group) readControl(controls, control, config);
    }
}

void showControls(DialogControls& controls, FormGroup group, const DeviceConfig& config) {
    for (const FormField& control : kFormFields) {
        if (control.group == group) showControl(controls, control, config);
    }
}

// Only the controls of members that one model's layout alone stores change
// with the model; with none identified they are all disabled.
void enableForModel(DialogControls& controls, DeviceModel model) {
    for (const FormField& control : kFormFields) {
        if (!everyModelStores(control.field.key)) controls.setEnabled(control.id, layoutCarries(model, control.field));
    }
}

}  // namespace

void formToRecord(DialogControls& controls, DeviceConfig& config) {
    // With its receiver off a beacon could never be started by radio, so
    // Disable RX implies Auto Start; the user sees the box checked.
    if (controls.isChecked(IDC_DISABLE_RX)) controls.setChecked(IDC_AUTO_START, true);

    for (FormGroup group : {FormGroup::Morse, FormGroup::Timing, FormGroup::Decimal, FormGroup::Check, FormGroup::Tones}) {
        readControls(controls, group, config);
    }
}

void recordToForm(DialogControls& controls, const DeviceConfig& config) {
    for (FormGroup group : {FormGroup::Morse, FormGroup::Decimal, FormGroup::Check, FormGroup::Timing, FormGroup::Tones}) {
        showControls(controls, group, config);
    }
}

void enableControlsForModel(DialogControls& controls, DeviceModel model) {
    enableForModel(controls, model);
}

std::string portSelectorText(DialogControls& controls) {
    return controls.text(IDC_PORT, kPortChars);
}

}  // namespace wb
