#include "config/record_view.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <system_error>

#include "config/record_models.h"
#include "config/record_text.h"

namespace wb {
namespace {

constexpr std::size_t kEntriesPerLine = 10;
constexpr std::size_t kCountedTones = 6;

std::string countedTones(const DeviceConfig& config, bool full) {
    const std::size_t count = listedToneCount(config);
    std::string text = std::to_string(count) + (count == 1 ? " tone" : " tones");
    if (count == 0) return text;
    text += ": ";
    const std::size_t shown = full ? count : std::min(count, kCountedTones);
    for (std::size_t i = 0; i < shown; ++i) {
        if (i != 0) text += ", ";
        text += std::to_string(config.tones[i]);
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

std::string shownInteger(const RecordField& field, std::int32_t value) {
    if (field.format == FieldFormat::FourDigits) {
        char buffer[16];
        const int length = std::snprintf(buffer, sizeof buffer, "%04d", static_cast<int>(value));
        return std::string(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
    }
    char buffer[16];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, end);
}

std::string shownDecimal(float value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    // to_chars rather than printf: exact, and the same on every platform
    // and in every locale.
    char buffer[64];
    const double wide = value;
    auto result = std::to_chars(buffer, buffer + sizeof buffer, wide, std::chars_format::fixed, 3);
    if (result.ec == std::errc{} && static_cast<std::size_t>(result.ptr - buffer) <= kMaxNumberText) {
        return std::string(buffer, result.ptr);
    }
    result = std::to_chars(buffer, buffer + sizeof buffer, wide, std::chars_format::scientific, 8);
    return std::string(buffer, result.ptr);
}

std::string formatToneList(const DeviceConfig& config, std::string_view tenthSeparator) {
    const std::size_t count = listedToneCount(config);
    std::string text;
    text.reserve(count * 6);
    for (std::size_t i = 0; i < count; ++i) {
        if (i != 0) text += i % kEntriesPerLine == 0 ? tenthSeparator : ", ";
        text += std::to_string(config.tones[i]);
    }
    return text;
}

std::string shownValue(const RecordField& field, const DeviceConfig& config, const ValueView& view) {
    switch (field.kind) {
    case FieldKind::Model:
        return std::string(view.modelByName ? modelName(config.model) : modelTitle(config.model));
    case FieldKind::Text: {
        // Appended, not "\"" + text: MinGW's g++ 12 warns falsely on that form.
        std::string text(1, '"');
        text += bytesToUtf8(config.morseText);
        text.push_back('"');
        return text;
    }
    case FieldKind::Integer: return shownInteger(field, config.*field.integer);
    case FieldKind::Decimal: return shownDecimal(config.*field.decimal);
    case FieldKind::Tones:
        if (view.tones == ValueView::Tones::Lines) return formatToneList(config, view.tenthSeparator);
        return countedTones(config, view.tones == ValueView::Tones::Full);
    case FieldKind::ToneCount: return std::to_string(listedToneCount(config));
    case FieldKind::Flag: return flagText(config.*field.flag != 0);
    }
    return {};
}

}  // namespace wb
