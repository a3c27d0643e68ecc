#include "config/record_changes.h"

#include <cmath>

namespace wb {
namespace {

bool sameDecimal(float a, float b) { return a == b || (std::isnan(a) && std::isnan(b)); }

bool sameValue(const RecordField& field, const DeviceConfig& a, const DeviceConfig& b) {
    switch (field.kind) {
    case FieldKind::Model: return a.model == b.model;
    case FieldKind::Text: return a.morseText == b.morseText;
    case FieldKind::Integer: return a.*field.integer == b.*field.integer;
    case FieldKind::Decimal: return sameDecimal(a.*field.decimal, b.*field.decimal);
    case FieldKind::ToneCount: return listedToneCount(a) == listedToneCount(b);
    case FieldKind::Flag: return a.*field.flag == b.*field.flag;
    case FieldKind::Tones: {
        const std::size_t count = listedToneCount(a);
        if (count != listedToneCount(b)) return false;
        for (std::size_t i = 0; i < count; ++i) {
            if (a.tones[i] != b.tones[i]) return false;
        }
        return true;
    }
    }
    return true;
}

}  // namespace

std::vector<const RecordField*> changedFields(const DeviceConfig& before, const DeviceConfig& after) {
    std::vector<const RecordField*> changed;
    for (const RecordField& field : kRecordFields) {
        const bool stored = field.kind == FieldKind::Model ||
                            (layoutCarries(before.model, field) && layoutCarries(after.model, field));
        if (stored && !sameValue(field, before, after)) changed.push_back(&field);
    }
    return changed;
}

}  // namespace wb
