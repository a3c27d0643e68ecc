#include "cli/record_table.h"

#include <cstdio>
#include <string_view>
#include <vector>

#include "config/record_fields.h"
#include "config/record_text.h"

namespace wb {
namespace {

constexpr std::size_t kLabelWidth = 17;

// Entries separated by ", ", a line break after every tenth separator;
// continuation lines are indented under the value column.
std::string toneListText(const DeviceConfig& config) {
    std::string text;
    for (std::size_t i = 0; i < listedToneCount(config); ++i) {
        if (i != 0) {
            text += ',';
            text += i % 10 == 0 ? "\n" + std::string(kLabelWidth, ' ') : " ";
        }
        text += std::to_string(config.tones[i]);
    }
    return text;
}

// The form has no field for these two; the table names them itself.
std::string_view rowLabel(const RecordField& field) {
    if (!field.label.empty()) return field.label;
    return field.kind == FieldKind::Model ? "Model" : "Tone Count";
}

std::string valueText(const RecordField& field, const DeviceConfig& c) {
    switch (field.kind) {
    case FieldKind::Model: return std::string(modelName(c.model));
    case FieldKind::Text: return "\"" + bytesToUtf8(c.morseText) + "\"";  // as --set takes it
    case FieldKind::Integer: return formatInt(field.format, c.*field.integer);
    case FieldKind::Decimal: return formatDecimal(field.format, c.*field.decimal);
    case FieldKind::Tones: return toneListText(c);
    case FieldKind::ToneCount: return formatInt(field.format, c.toneCount);
    case FieldKind::Flag: return c.*field.flag == 0 ? "no" : "yes";
    }
    return {};
}

}  // namespace

std::string formatInt(const char* format, int value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string formatDecimal(const char* format, float value) {
    // Huge values are shown in full rather than cut.
    const double wide = static_cast<double>(value);
    const int length = std::snprintf(nullptr, 0, format, wide);
    if (length <= 0) return {};
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
    std::snprintf(buffer.data(), buffer.size(), format, wide);
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

std::string recordTable(const DeviceConfig& config) {
    std::string table;
    for (const RecordField& field : kRecordFields) {
        std::string line = std::string(rowLabel(field)) + ":";
        line.resize(kLabelWidth, ' ');
        line += valueText(field, config);
        if (!field.unit.empty()) {
            line += ' ';
            line += field.unit;
        }
        if (config.model != DeviceModel::None && !layoutCarries(config.model, field)) {
            line += " (not stored by ";
            line += modelName(config.model);
            line += ')';
        }
        table += line;
        table += '\n';
    }
    return table;
}

}  // namespace wb
