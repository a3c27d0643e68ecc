#include "app/form_binding.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/control_ids.h"
#include "app/form_numbers.h"
#include "config/record_fields.h"

namespace wb {
namespace {

// Read limits of the fields, in characters. The Tones field has none: it
// is read whole and cut to the list's capacity when parsed.
constexpr std::size_t kNumberChars = 99;
constexpr std::size_t kMorseChars = 299;
constexpr std::size_t kPortChars = 99;

// A control and the record member it shows; how the value is read and
// shown follows from the member's kind and format.
struct FormControl {
    int id;
    const RecordField& field;
};

consteval FormControl control(int id, std::string_view key) {
    return {id, recordField(key)};
}

// The form's own order, in groups: the Morse settings with the unlock code,
// the timing, the decimals and the check boxes.
constexpr FormControl kMorseControls[] = {
    control(IDC_MORSE_TEXT, "morseText"),         control(IDC_MORSE_SPEED, "morseSpeedWpm"),
    control(IDC_MORSE_TONE, "morseTone"),         control(IDC_TONE_SPEED, "toneSpeedMs"),
    control(IDC_TONES_DURATION, "tonesDurationSec"), control(IDC_LOOP_TIME, "loopTimeSec"),
    control(IDC_UNLOCK_CODE, "unlockCode"),
};
constexpr FormControl kTimingControls[] = {
    control(IDC_INITIAL_DELAY, "initialDelayMin"),
    control(IDC_TOTAL_RUNTIME, "totalRuntimeMin"),
    control(IDC_PRE_TONES_DELAY, "preTonesDelaySec"),
};
constexpr FormControl kDecimalControls[] = {
    control(IDC_TX_FREQUENCY, "txFrequencyMHz"),
    control(IDC_RX_FREQUENCY, "rxFrequencyMHz"),
    control(IDC_CALIBRATION, "calibrationPercent"),
};
constexpr FormControl kCheckControls[] = {
    control(IDC_ENABLE_LED, "ledEnabled"),   control(IDC_RANDOM_TONES, "randomTones"),
    control(IDC_RANDOM_SPEED, "randomSpeed"), control(IDC_RANDOM_MORSE, "randomMorse"),
    control(IDC_AUTO_START, "autoStart"),    control(IDC_DISABLE_RX, "disableRx"),
};
constexpr FormControl kTonesControl = control(IDC_TONES, "tones");

// Disabled fields are read too: a member keeps what its field shows.
void readControl(DialogControls& controls, const FormControl& control, DeviceConfig& config) {
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

void showControl(DialogControls& controls, const FormControl& control, const DeviceConfig& config) {
    const RecordField& field = control.field;
    switch (field.kind) {
    case FieldKind::Text: controls.setText(control.id, config.morseText); break;
    case FieldKind::Integer: {
        const std::int32_t value = config.*field.integer;
        const bool unlockCode = std::string_view(field.format) == "%04d";
        controls.setText(control.id, unlockCode ? formatUnlockCode(value) : formatFormInteger(value));
        break;
    }
    case FieldKind::Decimal: controls.setText(control.id, formatFormDecimal(config.*field.decimal)); break;
    case FieldKind::Flag: controls.setChecked(control.id, config.*field.flag != 0); break;
    case FieldKind::Tones: controls.setText(control.id, formatToneList(config)); break;
    case FieldKind::Model:
    case FieldKind::ToneCount: break;
    }
}

template <std::size_t N>
void readControls(DialogControls& controls, const FormControl (&group)[N], DeviceConfig& config) {
    for (const FormControl& control : group) readControl(controls, control, config);
}

template <std::size_t N>
void showControls(DialogControls& controls, const FormControl (&group)[N], const DeviceConfig& config) {
    for (const FormControl& control : group) showControl(controls, control, config);
}

// Only the controls of members that one model's layout alone stores change
// with the model; with none identified they are all disabled.
template <std::size_t N>
void enableForModel(DialogControls& controls, const FormControl (&group)[N], DeviceModel model) {
    for (const FormControl& control : group) {
        if (!everyModelStores(control.field.key)) controls.setEnabled(control.id, layoutCarries(model, control.field));
    }
}

}  // namespace

void formToRecord(DialogControls& controls, DeviceConfig& config) {
    // With its receiver off a beacon could never be started by radio, so
    // Disable RX implies Auto Start; the user sees the box checked.
    if (controls.isChecked(IDC_DISABLE_RX)) controls.setChecked(IDC_AUTO_START, true);

    readControls(controls, kMorseControls, config);
    readControls(controls, kTimingControls, config);
    readControls(controls, kDecimalControls, config);
    readControls(controls, kCheckControls, config);
    readControl(controls, kTonesControl, config);
}

void recordToForm(DialogControls& controls, const DeviceConfig& config) {
    showControls(controls, kMorseControls, config);
    showControls(controls, kDecimalControls, config);
    showControls(controls, kCheckControls, config);
    showControls(controls, kTimingControls, config);
    showControl(controls, kTonesControl, config);
}

void enableControlsForModel(DialogControls& controls, DeviceModel model) {
    enableForModel(controls, kMorseControls, model);
    enableForModel(controls, kTimingControls, model);
    enableForModel(controls, kDecimalControls, model);
    enableForModel(controls, kCheckControls, model);
}

std::string portSelectorText(DialogControls& controls) {
    return controls.text(IDC_PORT, kPortChars);
}

}  // namespace wb
