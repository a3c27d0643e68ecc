#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

#include "config/device_config.h"
#include "config/record_models.h"

namespace wb {

// The record's members as every front end sees them: the dialog's form,
// the command line's table and JSON form, and the browser page. One row per
// member of DeviceConfig, in declaration order. The rows state facts; each
// front end keeps its own order and layout.

enum class FieldKind : std::uint8_t {
    Model,      // the model code, written as its name
    Text,       // single-byte characters
    Integer,    // int32
    Decimal,    // float32
    Tones,      // the tone list, up to kToneCapacity entries
    ToneCount,  // how many entries of the tone list count
    Flag,       // one byte, 0 or 1
};

constexpr std::string_view fieldKindName(FieldKind kind) {
    switch (kind) {
    case FieldKind::Model: return "model";
    case FieldKind::Text: return "text";
    case FieldKind::Integer: return "integer";
    case FieldKind::Decimal: return "decimal";
    case FieldKind::Tones: return "tones";
    case FieldKind::ToneCount: return "toneCount";
    case FieldKind::Flag: return "flag";
    }
    return {};
}

// How a value is shown: its printf format for numbers, else how it is
// written. The page is handed the text (fieldFormatText).
enum class FieldFormat : std::uint8_t {
    Name,        // a model's name
    Text,        // the Morse text
    Integer,     // "%d"
    FourDigits,  // "%04d"
    Fixed3,      // "%3.3f"
    Tones,       // the tone list
    Flag,        // a check box
};

constexpr std::string_view fieldFormatText(FieldFormat format) {
    switch (format) {
    case FieldFormat::Name: return "name";
    case FieldFormat::Text: return "text";
    case FieldFormat::Integer: return "%d";
    case FieldFormat::FourDigits: return "%04d";
    case FieldFormat::Fixed3: return "%3.3f";
    case FieldFormat::Tones: return "tones";
    case FieldFormat::Flag: return "flag";
    }
    return {};
}

struct RecordField {
    std::string_view key;    // the member's name, which is also its JSON key
    FieldKind kind;
    std::string_view label;  // the form's label; empty where the form has none
    std::string_view unit;   // the unit the form shows beside the field, or empty
    FieldFormat format;  // how the record view shows it (record_view.h)
    // Accepted on input: the value itself, or for text and tones each byte or
    // entry. A 0 byte ends the text and the tone list in both layouts, so
    // neither may hold one. Decimals take any single-precision value.
    std::int64_t min;
    std::int64_t max;
    // The member; the pointer of its type is set, the others are null.
    std::int32_t DeviceConfig::*integer = nullptr;
    float DeviceConfig::*decimal = nullptr;
    std::uint8_t DeviceConfig::*flag = nullptr;
};

inline constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
inline constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
inline constexpr std::int64_t kToneCountMax = static_cast<std::int64_t>(kToneCapacity);

namespace field_rows {

constexpr RecordField integer(std::string_view key, std::string_view label, std::string_view unit,
                              std::int32_t DeviceConfig::*member,
                              FieldFormat format = FieldFormat::Integer) {
    return {key, FieldKind::Integer, label, unit, format, kInt32Min, kInt32Max, member, nullptr, nullptr};
}
constexpr RecordField decimal(std::string_view key, std::string_view label, std::string_view unit,
                              float DeviceConfig::*member) {
    return {key, FieldKind::Decimal, label, unit, FieldFormat::Fixed3, 0, 0, nullptr, member, nullptr};
}
constexpr RecordField flag(std::string_view key, std::string_view label, std::uint8_t DeviceConfig::*member) {
    return {key, FieldKind::Flag, label, {}, FieldFormat::Flag, 0, 1, nullptr, nullptr, member};
}

}  // namespace field_rows

inline constexpr std::array<RecordField, 22> kRecordFields = {
    RecordField{"model", FieldKind::Model, {}, {}, FieldFormat::Name, 0, maxModelCode()},
    RecordField{"morseText", FieldKind::Text, "Text", {}, FieldFormat::Text, 1, 255},
    field_rows::integer("morseSpeedWpm", "Speed", "WPM", &DeviceConfig::morseSpeedWpm),
    field_rows::integer("morseTone", "Tone", {}, &DeviceConfig::morseTone),
    field_rows::integer("toneSpeedMs", "Tone Speed", "ms", &DeviceConfig::toneSpeedMs),
    field_rows::integer("tonesDurationSec", "Tones Duration", "sec", &DeviceConfig::tonesDurationSec),
    field_rows::integer("preTonesDelaySec", "Pre Tones Delay", "sec", &DeviceConfig::preTonesDelaySec),
    field_rows::integer("loopTimeSec", "Loop Time", "sec", &DeviceConfig::loopTimeSec),
    field_rows::decimal("txFrequencyMHz", "TX Frequency", "MHz", &DeviceConfig::txFrequencyMHz),
    field_rows::decimal("rxFrequencyMHz", "RX Frequency", "MHz", &DeviceConfig::rxFrequencyMHz),
    field_rows::decimal("calibrationPercent", "Calibration", "%", &DeviceConfig::calibrationPercent),
    RecordField{"tones", FieldKind::Tones, "Tones", {}, FieldFormat::Tones, 1, 255},
    RecordField{"toneCount", FieldKind::ToneCount, {}, {}, FieldFormat::Integer, 0, kToneCountMax},
    field_rows::flag("ledEnabled", "Enable LED", &DeviceConfig::ledEnabled),
    field_rows::flag("randomTones", "Random Tones", &DeviceConfig::randomTones),
    field_rows::flag("randomSpeed", "Random Speed", &DeviceConfig::randomSpeed),
    field_rows::flag("randomMorse", "Random Morse", &DeviceConfig::randomMorse),
    field_rows::flag("autoStart", "Auto Start", &DeviceConfig::autoStart),
    field_rows::flag("disableRx", "Disable RX", &DeviceConfig::disableRx),
    field_rows::integer("unlockCode", "Unlock Code", {}, &DeviceConfig::unlockCode, FieldFormat::FourDigits),
    field_rows::integer("initialDelayMin", "Initial Delay", "min", &DeviceConfig::initialDelayMin),
    field_rows::integer("totalRuntimeMin", "Total Runtime", "min", &DeviceConfig::totalRuntimeMin),
};

// The index of a JSON key's row, or the table's size. An index rather than a
// pointer: GCC's sanitizer builds cannot compare pointers in constant
// expressions.
constexpr std::size_t recordFieldIndex(std::string_view key) {
    std::size_t index = 0;
    while (index < kRecordFields.size() && kRecordFields[index].key != key) ++index;
    return index;
}

// The row of a JSON key, or null.
constexpr const RecordField* findRecordField(std::string_view key) {
    const std::size_t index = recordFieldIndex(key);
    return index < kRecordFields.size() ? &kRecordFields[index] : nullptr;
}

void noSuchRecordField();  // never defined: reaching it stops the compilation

// The row of a key known when compiling; a misspelt key does not compile.
consteval const RecordField& recordField(std::string_view key) {
    const std::size_t index = recordFieldIndex(key);
    if (index == kRecordFields.size()) noSuchRecordField();
    return kRecordFields[index];
}

// Whether the image layout of a model stores the member ("stored by", from
// the record's models). With no model identified no layout applies, and
// nothing is stored.
constexpr bool layoutCarries(DeviceModel model, const RecordField& field) {
    return modelStores(model, field.key);
}

// Every member a layout claims to store is one of the record's.
constexpr bool storedMembersAreFields() {
    for (const RecordModel& model : kRecordModels) {
        for (std::string_view key : model.storedMembers) {
            if (recordFieldIndex(key) == kRecordFields.size()) return false;
        }
    }
    return true;
}
static_assert(storedMembersAreFields(), "a layout stores a member the record does not have");

}  // namespace wb
