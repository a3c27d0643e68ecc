#include "plan/field_text.h"

#include <algorithm>
#include <cstdio>

#include "config/record_changes.h"
#include "config/record_text.h"
#include "plan/plan_texts.h"

namespace wb {
namespace {

constexpr std::size_t kShortTones = 6;

std::string formatted(const char* format, double value) {
    const int length = std::snprintf(nullptr, 0, format, value);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, value);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::string formattedInt(const char* format, int value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string toneText(const DeviceConfig& c, bool full) {
    const std::size_t count = listedToneCount(c);
    std::string text = std::to_string(count) + (count == 1 ? " tone" : " tones");
    if (count == 0) return text;
    text += ": ";
    const std::size_t shown = full ? count : std::min(count, kShortTones);
    for (std::size_t i = 0; i < shown; ++i) {
        if (i != 0) text += ", ";
        text += std::to_string(c.tones[i]);
    }
    if (shown < count) text += ", ...";
    return text;
}

}  // namespace

std::string_view fieldTitle(const RecordField& field) {
    if (!field.label.empty()) return field.label;
    return field.kind == FieldKind::Model ? "Model" : "Tone Count";
}

std::string flagText(bool on) { return on ? "yes" : "no"; }

std::string shownValue(const RecordField& field, const DeviceConfig& c, bool fullTones) {
    switch (field.kind) {
    case FieldKind::Model: return std::string(modelTitle(c.model));
    case FieldKind::Text: {
        // Appended, not "\"" + text: MinGW's g++ 12 warns falsely on that form.
        std::string text(1, '"');
        text += bytesToUtf8(c.morseText);
        text.push_back('"');
        return text;
    }
    case FieldKind::Integer: return formattedInt(field.format, c.*field.integer);
    case FieldKind::Decimal: return formatted(field.format, static_cast<double>(c.*field.decimal));
    case FieldKind::Tones: return toneText(c, fullTones);
    case FieldKind::ToneCount: return std::to_string(listedToneCount(c));
    case FieldKind::Flag: return flagText(c.*field.flag != 0);
    }
    return {};
}

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
            d.a = shownValue(field, a, true);
            d.b = shownValue(field, b, true);
        }
        shown.push_back(std::move(d));
    }
    return shown;
}

}  // namespace wb
