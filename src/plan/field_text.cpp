#include "plan/field_text.h"

#include <algorithm>

#include "config/record_changes.h"

namespace wb {

std::vector<std::string> differingFields(const DeviceConfig& a, const DeviceConfig& b) {
    std::vector<std::string> keys;
    const bool countChanged = listedToneCount(a) != listedToneCount(b);
    for (const RecordField* field : changedFields(a, b)) {
        // A list that only grew or shrank is told once, by its count.
        if (field->kind == FieldKind::Tones && countChanged) {
            const std::size_t both = std::min(listedToneCount(a), listedToneCount(b));
            if (std::equal(a.tones.begin(), a.tones.begin() + static_cast<std::ptrdiff_t>(both), b.tones.begin())) continue;
        }
        keys.emplace_back(field->key);
    }
    return keys;
}

std::vector<ShownDifference> shownDifferences(const DeviceConfig& a, const DeviceConfig& b) {
    std::vector<ShownDifference> shown;
    for (const std::string& key : differingFields(a, b)) {
        const RecordField& field = *findRecordField(key);
        ShownDifference d{key, std::string(fieldTitle(field)), shownValue(field, a), shownValue(field, b)};
        if (d.a == d.b) {
            const ValueView full{false, ValueView::Tones::Full};
            d.a = shownValue(field, a, full);
            d.b = shownValue(field, b, full);
        }
        shown.push_back(std::move(d));
    }
    return shown;
}

}  // namespace wb
