#include "image/held_values.h"

#include <algorithm>
#include <array>

#include "config/codec_context.h"
#include "image/model_table.h"
#include "config/record_changes.h"
#include "config/record_text.h"
#include "config/record_view.h"
#include "image/stored_record.h"

namespace wb {
namespace {

struct Bounds {
    double min;
    double max;
};
// A member's range in the Basic layout and in the Tarsel one; none where
// the layout does not store it.
struct MemberRanges {
    std::string_view key;
    std::optional<Bounds> basic;
    std::optional<Bounds> tarsel;
};
constexpr std::optional<Bounds> kNotStored;

// Below the speed's floor the divisor stored clamps to its largest value;
// above its top to its smallest. Times are two bytes (Basic) or a minute
// byte and a second byte (Tarsel); the tone step is one byte of 2 or 5 ms
// (the last step's remainder still coarsens to it). A Tarsel frequency
// keeps four decimal digits of its kHz, 140 MHz being the beacon's own; a
// Basic one is a 16-bit count of 5 kHz steps. The calibration word is 16
// bits: the lower bound is the last percentage whose word is below 65536,
// the upper one that of word 1.
constexpr MemberRanges kRanges[] = {
    {"morseSpeedWpm", Bounds{7, 200}, Bounds{3, 30}},
    {"morseTone", Bounds{0, 255}, Bounds{0, 255}},
    {"toneSpeedMs", Bounds{0, 511}, Bounds{0, 1279}},
    {"tonesDurationSec", Bounds{0, 65535}, Bounds{0, 15359}},
    {"preTonesDelaySec", Bounds{0, 65535}, Bounds{0, 15359}},
    {"loopTimeSec", Bounds{0, 65535}, Bounds{0, 15359}},
    {"initialDelayMin", kNotStored, Bounds{0, 15359}},
    {"totalRuntimeMin", kNotStored, Bounds{0, 15359}},
    {"unlockCode", kNotStored, Bounds{0, 9999}},
    {"txFrequencyMHz", Bounds{0.0, 327.675}, Bounds{140.0, 149.999}},
    {"rxFrequencyMHz", kNotStored, Bounds{140.0, 149.999}},
    {"calibrationPercent", Bounds{-52.315, 3124900.0}, Bounds{-69.482, 1999900.0}},
};

// One model's column of the table, as the ranges it has.
template <std::optional<Bounds> MemberRanges::*column>
constexpr auto rangesOf() {
    constexpr std::size_t count =
        std::ranges::count_if(kRanges, [](const MemberRanges& row) { return (row.*column).has_value(); });
    std::array<HeldRange, count> ranges{};
    std::size_t next = 0;
    for (const MemberRanges& row : kRanges) {
        if (row.*column) ranges[next++] = HeldRange{row.key, (row.*column)->min, (row.*column)->max};
    }
    return ranges;
}
constexpr auto kBasicRanges = rangesOf<&MemberRanges::basic>();
constexpr auto kTarselRanges = rangesOf<&MemberRanges::tarsel>();

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
