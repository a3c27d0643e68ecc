#include "image/held_values.h"

#include <array>

#include "config/codec_context.h"
#include "image/model_table.h"
#include "config/record_changes.h"
#include "config/record_text.h"
#include "config/record_view.h"
#include "image/stored_record.h"

namespace wb {
namespace {

// Below the speed's floor the divisor stored clamps to its largest value;
// above its top to its smallest. Times are two bytes (Basic) or a minute
// byte and a second byte (Tarsel); the tone step is one byte of 2 or 5 ms
// (the last step's remainder still coarsens to it). A Tarsel frequency
// keeps four decimal digits of its kHz, 140 MHz being the beacon's own; a
// Basic one is a 16-bit count of 5 kHz steps. The calibration word is 16
// bits: the lower bound is the last percentage whose word is below 65536,
// the upper one that of word 1.
constexpr std::array kBasicRanges{
    HeldRange{"morseSpeedWpm", 7, 200},
    HeldRange{"morseTone", 0, 255},
    HeldRange{"toneSpeedMs", 0, 511},
    HeldRange{"tonesDurationSec", 0, 65535},
    HeldRange{"preTonesDelaySec", 0, 65535},
    HeldRange{"loopTimeSec", 0, 65535},
    HeldRange{"txFrequencyMHz", 0.0, 327.675},
    HeldRange{"calibrationPercent", -52.315, 3124900.0},
};
constexpr std::array kTarselRanges{
    HeldRange{"morseSpeedWpm", 3, 30},
    HeldRange{"morseTone", 0, 255},
    HeldRange{"toneSpeedMs", 0, 1279},
    HeldRange{"tonesDurationSec", 0, 15359},
    HeldRange{"preTonesDelaySec", 0, 15359},
    HeldRange{"loopTimeSec", 0, 15359},
    HeldRange{"initialDelayMin", 0, 15359},
    HeldRange{"totalRuntimeMin", 0, 15359},
    HeldRange{"unlockCode", 0, 9999},
    HeldRange{"txFrequencyMHz", 140.0, 149.999},
    HeldRange{"rxFrequencyMHz", 140.0, 149.999},
    HeldRange{"calibrationPercent", -69.482, 1999900.0},
};
// Both layouts put the default in place of a TX frequency outside the band
// unless the limit is lifted.
constexpr HeldRange kTxLimit{"txFrequencyMHz", 144.0, 148.0};

constexpr bool rangesAreStoredMembers(DeviceModel model, std::span<const HeldRange> ranges) {
    for (const HeldRange& range : ranges) {
        if (!modelStores(model, range.key)) return false;
    }
    return true;
}
static_assert(rangesAreStoredMembers(kBasicModel, kBasicRanges));
static_assert(rangesAreStoredMembers(kTarselModel, kTarselRanges));

std::string boundText(const RecordField& field, double bound) {
    if (field.kind == FieldKind::Decimal) return shownDecimal(static_cast<float>(bound));
    return std::to_string(static_cast<std::int64_t>(bound));
}

// The value as compared with the range: a decimal as it is shown.
double comparedValue(const RecordField& field, const DeviceConfig& config) {
    if (field.kind == FieldKind::Integer) return config.*field.integer;
    return parseDecimal(shownDecimal(config.*field.decimal)).value_or(0.0);
}

bool sameNumber(const RecordField& field, const DeviceConfig& a, const DeviceConfig& b) {
    if (field.kind == FieldKind::Integer) return a.*field.integer == b.*field.integer;
    return a.*field.decimal == b.*field.decimal;
}

}  // namespace

std::span<const HeldRange> heldRanges(DeviceModel model) {
    if (model == kBasicModel) return kBasicRanges;
    if (model == kTarselModel) return kTarselRanges;
    return {};
}

std::optional<HeldRange> heldRange(DeviceModel model, std::string_view key, bool noLimit) {
    if (!modelStores(model, key)) return std::nullopt;
    if (!noLimit && key == kTxLimit.key) return kTxLimit;
    for (const HeldRange& range : heldRanges(model)) {
        if (range.key == key) return range;
    }
    return std::nullopt;
}

std::optional<std::string> unheldValue(const DeviceConfig& edited, const DeviceConfig& before, bool noLimit) {
    DeviceConfig start = before;
    start.model = edited.model;
    const DeviceConfig stored = storedRecord(edited, CodecContext{noLimit, {}}).record;
    for (const RecordField* field : changedFields(start, edited)) {
        if (field->kind != FieldKind::Integer && field->kind != FieldKind::Decimal) continue;
        if (sameNumber(*field, edited, stored)) continue;
        const std::optional<HeldRange> range = heldRange(edited.model, field->key, noLimit);
        if (!range) continue;
        // The limit is the encoder's own test of the single-precision value.
        const bool limit = !noLimit && range->key == kTxLimit.key;
        const double value = limit ? static_cast<double>(edited.txFrequencyMHz) : comparedValue(*field, edited);
        if (value >= range->min && value <= range->max) continue;  // NaN is outside
        std::string error = std::string(field->key) + ": out of range " + boundText(*field, range->min) + ".." +
                            boundText(*field, range->max);
        if (limit) return error + " unless the limit is lifted";
        return error + " for the " + std::string(modelTitle(edited.model)) + " layout";
    }
    return std::nullopt;
}

}  // namespace wb
