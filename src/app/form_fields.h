#pragma once

#include <array>
#include <string_view>

#include "app/control_ids.h"
#include "config/record_fields.h"

namespace wb {

// How the form binding walks its controls: the Morse settings with the
// unlock code, the timing, the decimals, the check boxes, the tone list.
enum class FormGroup { Morse, Timing, Decimal, Check, Tones };

// A control of the form and the record member it shows. What the member is
// (label, unit, kind, models) is the field table's; how it is read and
// shown follows from its kind and format.
struct FormField {
    int id;
    const RecordField& field;
    FormGroup group;
};

consteval FormField formField(int id, std::string_view key, FormGroup group) {
    return {id, recordField(key), group};
}

// Every control that shows a member, for the dialog and the page alike, in
// the form's order from top to bottom.
inline constexpr std::array<FormField, 20> kFormFields = {{
    formField(IDC_PRE_TONES_DELAY, "preTonesDelaySec", FormGroup::Timing),
    formField(IDC_TONES_DURATION, "tonesDurationSec", FormGroup::Morse),
    formField(IDC_LOOP_TIME, "loopTimeSec", FormGroup::Morse),
    formField(IDC_TONE_SPEED, "toneSpeedMs", FormGroup::Morse),
    formField(IDC_INITIAL_DELAY, "initialDelayMin", FormGroup::Timing),
    formField(IDC_TOTAL_RUNTIME, "totalRuntimeMin", FormGroup::Timing),
    formField(IDC_TX_FREQUENCY, "txFrequencyMHz", FormGroup::Decimal),
    formField(IDC_RX_FREQUENCY, "rxFrequencyMHz", FormGroup::Decimal),
    formField(IDC_CALIBRATION, "calibrationPercent", FormGroup::Decimal),
    formField(IDC_UNLOCK_CODE, "unlockCode", FormGroup::Morse),
    formField(IDC_TONES, "tones", FormGroup::Tones),
    formField(IDC_MORSE_TEXT, "morseText", FormGroup::Morse),
    formField(IDC_MORSE_SPEED, "morseSpeedWpm", FormGroup::Morse),
    formField(IDC_MORSE_TONE, "morseTone", FormGroup::Morse),
    formField(IDC_ENABLE_LED, "ledEnabled", FormGroup::Check),
    formField(IDC_RANDOM_TONES, "randomTones", FormGroup::Check),
    formField(IDC_RANDOM_SPEED, "randomSpeed", FormGroup::Check),
    formField(IDC_RANDOM_MORSE, "randomMorse", FormGroup::Check),
    formField(IDC_AUTO_START, "autoStart", FormGroup::Check),
    formField(IDC_DISABLE_RX, "disableRx", FormGroup::Check),
}};

}  // namespace wb
