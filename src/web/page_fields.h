#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "app/control_ids.h"
#include "config/device_model.h"

namespace wb {

// The form's fields by the dialog's control and the record's key.
struct PageField {
    int id;
    std::string_view key;
    bool checkBox;
    std::string_view label;
    std::string_view unit;
};

inline constexpr std::array<PageField, 20> kPageFields = {{
    {IDC_PRE_TONES_DELAY, "preTonesDelaySec", false, "Pre Tones Delay", "sec"},
    {IDC_TONES_DURATION, "tonesDurationSec", false, "Tones Duration", "sec"},
    {IDC_LOOP_TIME, "loopTimeSec", false, "Loop Time", "sec"},
    {IDC_TONE_SPEED, "toneSpeedMs", false, "Tone Speed", "ms"},
    {IDC_INITIAL_DELAY, "initialDelayMin", false, "Initial Delay", "min"},
    {IDC_TOTAL_RUNTIME, "totalRuntimeMin", false, "Total Runtime", "min"},
    {IDC_TX_FREQUENCY, "txFrequencyMHz", false, "TX Frequency", "MHz"},
    {IDC_RX_FREQUENCY, "rxFrequencyMHz", false, "RX Frequency", "MHz"},
    {IDC_CALIBRATION, "calibrationPercent", false, "Calibration", "%"},
    {IDC_UNLOCK_CODE, "unlockCode", false, "Unlock Code", ""},
    {IDC_TONES, "tones", false, "Tones", ""},
    {IDC_MORSE_TEXT, "morseText", false, "Text", ""},
    {IDC_MORSE_SPEED, "morseSpeedWpm", false, "Speed", "WPM"},
    {IDC_MORSE_TONE, "morseTone", false, "Tone", ""},
    {IDC_ENABLE_LED, "ledEnabled", true, "Enable LED", ""},
    {IDC_RANDOM_TONES, "randomTones", true, "Random Tones", ""},
    {IDC_RANDOM_SPEED, "randomSpeed", true, "Random Speed", ""},
    {IDC_RANDOM_MORSE, "randomMorse", true, "Random Morse", ""},
    {IDC_AUTO_START, "autoStart", true, "Auto Start", ""},
    {IDC_DISABLE_RX, "disableRx", true, "Disable RX", ""},
}};

// Whether the model's image layout stores the field.
bool layoutStores(DeviceModel model, const PageField& field);

}  // namespace wb
