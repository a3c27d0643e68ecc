#include "cli/record_table.h"

#include "config/record_fields.h"
#include "config/record_view.h"
#include "util/shown_text.h"

namespace wb {
namespace {

constexpr std::size_t kLabelWidth = 17;

}  // namespace

std::string recordTable(const DeviceConfig& config) {
    // Continuation lines of the tone list are indented under the value column.
    const std::string tenthSeparator = ",\n" + std::string(kLabelWidth, ' ');
    const ValueView view{true, ValueView::Tones::Lines, tenthSeparator};
    std::string table;
    for (const RecordField& field : kRecordFields) {
        std::string line = std::string(fieldTitle(field)) + ":";
        line.resize(kLabelWidth, ' ');
        line += shownText(shownValue(field, config, view), field.kind == FieldKind::Tones);
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
