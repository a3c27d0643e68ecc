#include "app/form_binding.h"

#include <cstddef>
#include <cstdint>

#include "app/control_ids.h"
#include "app/form_numbers.h"

namespace wb {
namespace {

// Read limits of the fields, in characters. The Tones field has none: it
// is read whole and cut to the list's capacity when parsed.
constexpr std::size_t kNumberChars = 99;
constexpr std::size_t kMorseChars = 299;
constexpr std::size_t kPortChars = 99;

struct IntegerField {
    int id;
    std::int32_t DeviceConfig::*member;
};

// Fields shown with "%d", in the order they are written.
constexpr IntegerField kMorseIntegers[] = {
    {IDC_MORSE_SPEED, &DeviceConfig::morseSpeedWpm},
    {IDC_MORSE_TONE, &DeviceConfig::morseTone},
    {IDC_TONE_SPEED, &DeviceConfig::toneSpeedMs},
    {IDC_TONES_DURATION, &DeviceConfig::tonesDurationSec},
    {IDC_LOOP_TIME, &DeviceConfig::loopTimeSec},
};
constexpr IntegerField kTimingIntegers[] = {
    {IDC_INITIAL_DELAY, &DeviceConfig::initialDelayMin},
    {IDC_TOTAL_RUNTIME, &DeviceConfig::totalRuntimeMin},
    {IDC_PRE_TONES_DELAY, &DeviceConfig::preTonesDelaySec},
};

struct DecimalField {
    int id;
    float DeviceConfig::*member;
};

constexpr DecimalField kDecimals[] = {
    {IDC_TX_FREQUENCY, &DeviceConfig::txFrequencyMHz},
    {IDC_RX_FREQUENCY, &DeviceConfig::rxFrequencyMHz},
    {IDC_CALIBRATION, &DeviceConfig::calibrationPercent},
};

struct CheckField {
    int id;
    std::uint8_t DeviceConfig::*member;
};

constexpr CheckField kChecks[] = {
    {IDC_ENABLE_LED, &DeviceConfig::ledEnabled},
    {IDC_RANDOM_TONES, &DeviceConfig::randomTones},
    {IDC_RANDOM_SPEED, &DeviceConfig::randomSpeed},
    {IDC_RANDOM_MORSE, &DeviceConfig::randomMorse},
    {IDC_AUTO_START, &DeviceConfig::autoStart},
    {IDC_DISABLE_RX, &DeviceConfig::disableRx},
};

// The controls only a Tarsel beacon has.
constexpr int kTarselControls[] = {
    IDC_RX_FREQUENCY, IDC_RANDOM_TONES, IDC_RANDOM_SPEED, IDC_RANDOM_MORSE, IDC_AUTO_START,
    IDC_UNLOCK_CODE, IDC_INITIAL_DELAY, IDC_TOTAL_RUNTIME, IDC_DISABLE_RX,
};

}  // namespace

void formToRecord(DialogControls& controls, DeviceConfig& config) {
    // With its receiver off a beacon could never be started by radio, so
    // Disable RX implies Auto Start; the user sees the box checked.
    if (controls.isChecked(IDC_DISABLE_RX)) controls.setChecked(IDC_AUTO_START, true);

    // Disabled fields are read too: a member keeps what its field shows.
    config.morseText = controls.text(IDC_MORSE_TEXT, kMorseChars);
    for (const auto& field : kMorseIntegers) {
        config.*field.member = readFormInteger(controls.text(field.id, kNumberChars));
    }
    config.unlockCode = readFormInteger(controls.text(IDC_UNLOCK_CODE, kNumberChars));
    for (const auto& field : kTimingIntegers) {
        config.*field.member = readFormInteger(controls.text(field.id, kNumberChars));
    }
    for (const auto& field : kDecimals) {
        config.*field.member = readFormDecimal(controls.text(field.id, kNumberChars));
    }
    for (const auto& field : kChecks) {
        config.*field.member = controls.isChecked(field.id) ? 1 : 0;
    }
    parseToneList(controls.text(IDC_TONES, DialogControls::kWholeText), config);
}

void recordToForm(DialogControls& controls, const DeviceConfig& config) {
    controls.setText(IDC_MORSE_TEXT, config.morseText);
    for (const auto& field : kMorseIntegers) {
        controls.setText(field.id, formatFormInteger(config.*field.member));
    }
    controls.setText(IDC_UNLOCK_CODE, formatUnlockCode(config.unlockCode));
    for (const auto& field : kDecimals) {
        controls.setText(field.id, formatFormDecimal(config.*field.member));
    }
    for (const auto& field : kChecks) {
        controls.setChecked(field.id, config.*field.member != 0);
    }
    for (const auto& field : kTimingIntegers) {
        controls.setText(field.id, formatFormInteger(config.*field.member));
    }
    controls.setText(IDC_TONES, formatToneList(config));
}

void enableControlsForModel(DialogControls& controls, DeviceModel model) {
    for (int id : kTarselControls) controls.setEnabled(id, model == DeviceModel::Tarsel);
    controls.setEnabled(IDC_ENABLE_LED, model == DeviceModel::Basic);
}

std::string portSelectorText(DialogControls& controls) {
    return controls.text(IDC_PORT, kPortChars);
}

}  // namespace wb
