#include <gtest/gtest.h>

#include <string>

#include "app/control_ids.h"
#include "app/form_binding.h"
#include "image/model_table.h"
#include "support/memory_controls.h"

namespace wb {
namespace {

using test::MemoryControls;

constexpr int kTarselIds[] = {IDC_RX_FREQUENCY, IDC_RANDOM_TONES, IDC_RANDOM_SPEED,
                              IDC_RANDOM_MORSE, IDC_AUTO_START,   IDC_UNLOCK_CODE,
                              IDC_INITIAL_DELAY, IDC_TOTAL_RUNTIME, IDC_DISABLE_RX};
constexpr int kAlwaysEnabledIds[] = {IDC_MORSE_TEXT, IDC_MORSE_SPEED, IDC_MORSE_TONE,
                                     IDC_TONE_SPEED, IDC_TONES_DURATION, IDC_PRE_TONES_DELAY,
                                     IDC_LOOP_TIME, IDC_TX_FREQUENCY, IDC_CALIBRATION, IDC_TONES};

// A form showing the factory record, as the dialog starts.
MemoryControls factoryForm() {
    MemoryControls form;
    recordToForm(form, DeviceConfig{});
    return form;
}

TEST(FormBinding, FactoryRecordShownInEveryField) {
    MemoryControls form = factoryForm();
    const struct {
        int id;
        const char* text;
    } fields[] = {
        {IDC_MORSE_TEXT, " WRENBOLT "}, {IDC_MORSE_SPEED, "20"}, {IDC_MORSE_TONE, "26"},
        {IDC_TONE_SPEED, "50"}, {IDC_TONES_DURATION, "15"}, {IDC_LOOP_TIME, "30"},
        {IDC_UNLOCK_CODE, "5862"}, {IDC_TX_FREQUENCY, "146.565"}, {IDC_RX_FREQUENCY, "146.565"},
        {IDC_CALIBRATION, "0.000"}, {IDC_INITIAL_DELAY, "0"}, {IDC_TOTAL_RUNTIME, "0"},
        {IDC_PRE_TONES_DELAY, "0"},
    };
    for (const auto& f : fields) EXPECT_EQ(form.texts[f.id], f.text) << f.id;
    EXPECT_EQ(form.texts[IDC_TONES], formatToneList(DeviceConfig{}));
    EXPECT_TRUE(form.checks[IDC_ENABLE_LED]);
    for (int id : {IDC_RANDOM_TONES, IDC_RANDOM_SPEED, IDC_RANDOM_MORSE, IDC_AUTO_START, IDC_DISABLE_RX}) {
        EXPECT_FALSE(form.checks[id]) << id;
    }
}

TEST(FormBinding, EveryFieldGoesToItsOwnMember) {
    MemoryControls form = factoryForm();
    const struct {
        int id;
        const char* text;
    } edits[] = {
        {IDC_MORSE_SPEED, "1"}, {IDC_MORSE_TONE, "2"}, {IDC_TONE_SPEED, "3"},
        {IDC_TONES_DURATION, "4"}, {IDC_PRE_TONES_DELAY, "5"}, {IDC_LOOP_TIME, "6"},
        {IDC_UNLOCK_CODE, "7"}, {IDC_INITIAL_DELAY, "8"}, {IDC_TOTAL_RUNTIME, "9"},
        {IDC_TX_FREQUENCY, "144.5"}, {IDC_RX_FREQUENCY, "145.25"}, {IDC_CALIBRATION, "-1.5"},
        {IDC_MORSE_TEXT, "DE TEST"}, {IDC_TONES, "3 4"},
    };
    for (const auto& e : edits) form.texts[e.id] = e.text;
    form.checks[IDC_ENABLE_LED] = false;
    form.checks[IDC_RANDOM_TONES] = true;
    form.checks[IDC_RANDOM_MORSE] = true;
    DeviceConfig config;
    formToRecord(form, config);
    EXPECT_EQ(config.morseSpeedWpm, 1);
    EXPECT_EQ(config.morseTone, 2);
    EXPECT_EQ(config.toneSpeedMs, 3);
    EXPECT_EQ(config.tonesDurationSec, 4);
    EXPECT_EQ(config.preTonesDelaySec, 5);
    EXPECT_EQ(config.loopTimeSec, 6);
    EXPECT_EQ(config.unlockCode, 7);
    EXPECT_EQ(config.initialDelayMin, 8);
    EXPECT_EQ(config.totalRuntimeMin, 9);
    EXPECT_EQ(config.txFrequencyMHz, 144.5f);
    EXPECT_EQ(config.rxFrequencyMHz, 145.25f);
    EXPECT_EQ(config.calibrationPercent, -1.5f);
    EXPECT_EQ(config.morseText, "DE TEST");
    EXPECT_EQ(config.toneCount, 2);
    EXPECT_EQ(config.ledEnabled, 0);
    EXPECT_EQ(config.randomTones, 1);
    EXPECT_EQ(config.randomSpeed, 0);
    EXPECT_EQ(config.randomMorse, 1);
    EXPECT_EQ(config.autoStart, 0);
    EXPECT_EQ(config.disableRx, 0);
    EXPECT_EQ(config.model, DeviceModel::None);  // never touched by the form

    recordToForm(form, config);
    EXPECT_EQ(form.texts[IDC_UNLOCK_CODE], "0007");
    EXPECT_EQ(form.texts[IDC_RX_FREQUENCY], "145.250");
    EXPECT_EQ(form.texts[IDC_CALIBRATION], "-1.500");
}

TEST(FormBinding, ReadLimitsOfTheFields) {
    MemoryControls form = factoryForm();
    form.texts[IDC_MORSE_TEXT] = std::string(400, 'A');
    form.texts[IDC_PORT] = std::string(150, 'C');
    form.texts[IDC_MORSE_SPEED] = std::string(99, '0') + "5";  // the 5 lies past the limit
    DeviceConfig config;
    formToRecord(form, config);
    EXPECT_EQ(config.morseText, std::string(299, 'A'));
    EXPECT_EQ(config.morseSpeedWpm, 0);
    EXPECT_EQ(form.lastReadLimit(IDC_TX_FREQUENCY), 99u);
    EXPECT_EQ(form.lastReadLimit(IDC_UNLOCK_CODE), 99u);
    EXPECT_EQ(form.lastReadLimit(IDC_TONES), DialogControls::kWholeText);
    EXPECT_EQ(portSelectorText(form), std::string(99, 'C'));
    EXPECT_EQ(form.lastReadLimit(IDC_PORT), 99u);
}

TEST(FormBinding, UnreadableFieldsCountAsEmpty) {
    MemoryControls form = factoryForm();
    form.unreadable = {IDC_MORSE_TEXT, IDC_LOOP_TIME, IDC_TX_FREQUENCY, IDC_TONES};
    DeviceConfig config;
    formToRecord(form, config);
    EXPECT_EQ(config.morseText, "");
    EXPECT_EQ(config.loopTimeSec, 0);
    EXPECT_EQ(config.txFrequencyMHz, 0.0f);
    EXPECT_EQ(config.toneCount, 1);
    EXPECT_EQ(config.tones[0], 1);
}

TEST(FormBinding, LenientNumbersShownBack) {
    const struct {
        int id;
        const char* typed;
        const char* shown;
    } cases[] = {
        {IDC_MORSE_SPEED, "12abc", "12"}, {IDC_MORSE_SPEED, "", "0"},
        {IDC_MORSE_TONE, "  -7", "-7"}, {IDC_TONE_SPEED, "+5", "5"},
        {IDC_LOOP_TIME, "3000000000", "2147483647"}, {IDC_LOOP_TIME, "-3000000000", "-2147483648"},
        {IDC_UNLOCK_CODE, "7", "0007"}, {IDC_UNLOCK_CODE, "12ab", "0012"},
        {IDC_UNLOCK_CODE, "-7", "-007"}, {IDC_UNLOCK_CODE, "10000", "10000"},
        {IDC_TX_FREQUENCY, "146,565", "146.000"}, {IDC_TX_FREQUENCY, "146.52", "146.520"},
        {IDC_TX_FREQUENCY, "146.5656", "146.566"}, {IDC_CALIBRATION, "abc", "0.000"},
        {IDC_RX_FREQUENCY, "1e999", "3.40282347e+38"}, {IDC_CALIBRATION, "-1e20", "-1.00000002e+20"},
    };
    for (const auto& c : cases) {
        MemoryControls form = factoryForm();
        form.texts[c.id] = c.typed;
        DeviceConfig config;
        formToRecord(form, config);
        recordToForm(form, config);
        EXPECT_EQ(form.texts[c.id], c.shown) << c.id << " \"" << c.typed << '"';
    }
}

TEST(FormBinding, DisableRxChecksAutoStart) {
    for (DeviceModel model : {kTarselModel, kBasicModel}) {
        MemoryControls form = factoryForm();
        enableControlsForModel(form, model);  // with Basic both boxes are disabled
        form.checks[IDC_DISABLE_RX] = true;
        form.checks[IDC_AUTO_START] = false;
        DeviceConfig config;
        formToRecord(form, config);
        EXPECT_TRUE(form.checks[IDC_AUTO_START]);
        EXPECT_EQ(config.autoStart, 1);
        EXPECT_EQ(config.disableRx, 1);
    }
    // Nothing unchecks Auto Start on this account.
    MemoryControls form = factoryForm();
    form.checks[IDC_AUTO_START] = true;
    DeviceConfig config;
    formToRecord(form, config);
    EXPECT_TRUE(form.checks[IDC_AUTO_START]);
    EXPECT_EQ(config.autoStart, 1);
    EXPECT_EQ(config.disableRx, 0);
}

TEST(FormBinding, EnablingByModel) {
    const struct {
        DeviceModel model;
        bool tarsel;
        bool led;
    } cases[] = {
        {DeviceModel::None, false, false},
        {kBasicModel, false, true},
        {kTarselModel, true, false},
    };
    for (const auto& c : cases) {
        MemoryControls form;
        form.enabled[IDC_ENABLE_LED] = !c.led;  // whatever came before
        for (int id : kTarselIds) form.enabled[id] = !c.tarsel;
        enableControlsForModel(form, c.model);
        for (int id : kTarselIds) EXPECT_EQ(form.isEnabled(id), c.tarsel) << id;
        EXPECT_EQ(form.isEnabled(IDC_ENABLE_LED), c.led);
        EXPECT_EQ(form.enabled.size(), 10u);  // no other control touched
        for (int id : kAlwaysEnabledIds) EXPECT_TRUE(form.isEnabled(id)) << id;
    }
}

TEST(FormBinding, DisabledFieldsAreStillRead) {
    MemoryControls form = factoryForm();
    enableControlsForModel(form, kBasicModel);
    form.texts[IDC_RX_FREQUENCY] = "145.8";
    form.texts[IDC_TOTAL_RUNTIME] = "90";
    DeviceConfig config;
    formToRecord(form, config);
    EXPECT_EQ(config.rxFrequencyMHz, 145.8f);
    EXPECT_EQ(config.totalRuntimeMin, 90);
}

TEST(FormBinding, LongToneListSurvivesTheRoundTrip) {
    // A Basic beacon holds up to 200 tones; a record read from one must be
    // written back whole, not cut to what fits 299 characters.
    DeviceConfig shown;
    for (std::size_t i = 0; i < kToneCapacity; ++i) shown.tones[i] = static_cast<std::uint8_t>(100 + i % 156);
    shown.toneCount = 200;
    MemoryControls form;
    recordToForm(form, shown);
    ASSERT_GT(form.texts[IDC_TONES].size(), 299u);
    DeviceConfig config;
    config.tones.fill(0);
    formToRecord(form, config);
    EXPECT_EQ(config.toneCount, 200);
    EXPECT_EQ(config.tones, shown.tones);

    std::string typed;
    for (int i = 0; i < 250; ++i) typed += "123\r\n";
    form.texts[IDC_TONES] = typed;
    formToRecord(form, config);
    EXPECT_EQ(config.toneCount, 200);
    EXPECT_EQ(config.tones[199], 123);
}

}  // namespace
}  // namespace wb
