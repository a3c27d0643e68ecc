#pragma once

#include <array>

#include "app/control_ids.h"
#include "config/record_fields.h"

namespace wb {

// The page's fields: the dialog's control for each member of the field
// table the form shows. What a field is (label, unit, kind, models) is the
// table's.
struct PageField {
    int id;
    const RecordField& field;
};

consteval PageField pageField(int id, std::string_view key) { return {id, recordField(key)}; }

inline constexpr std::array<PageField, 20> kPageFields = {{
    pageField(IDC_PRE_TONES_DELAY, "preTonesDelaySec"),
    pageField(IDC_TONES_DURATION, "tonesDurationSec"),
    pageField(IDC_LOOP_TIME, "loopTimeSec"),
    pageField(IDC_TONE_SPEED, "toneSpeedMs"),
    pageField(IDC_INITIAL_DELAY, "initialDelayMin"),
    pageField(IDC_TOTAL_RUNTIME, "totalRuntimeMin"),
    pageField(IDC_TX_FREQUENCY, "txFrequencyMHz"),
    pageField(IDC_RX_FREQUENCY, "rxFrequencyMHz"),
    pageField(IDC_CALIBRATION, "calibrationPercent"),
    pageField(IDC_UNLOCK_CODE, "unlockCode"),
    pageField(IDC_TONES, "tones"),
    pageField(IDC_MORSE_TEXT, "morseText"),
    pageField(IDC_MORSE_SPEED, "morseSpeedWpm"),
    pageField(IDC_MORSE_TONE, "morseTone"),
    pageField(IDC_ENABLE_LED, "ledEnabled"),
    pageField(IDC_RANDOM_TONES, "randomTones"),
    pageField(IDC_RANDOM_SPEED, "randomSpeed"),
    pageField(IDC_RANDOM_MORSE, "randomMorse"),
    pageField(IDC_AUTO_START, "autoStart"),
    pageField(IDC_DISABLE_RX, "disableRx"),
}};

}  // namespace wb
