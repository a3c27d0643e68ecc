#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "config/device_config.h"
#include "config/record_fields.h"

namespace wb {

// A member's name where the form has no label: "Model", "Tone Count".
std::string_view fieldTitle(const RecordField& field);

// A flag as the sheet, the audit and the page's tables show it.
std::string flagText(bool on);

// A member's value as the form shows it ("146.565", "0060", "yes"); the
// Morse text in double quotes, as UTF-8. The tone list in short, "64
// tones: 1, 2, 3, 4, 5, 6, ...", or with `fullTones` every entry.
std::string shownValue(const RecordField& field, const DeviceConfig& config, bool fullTones = false);

// The keys of the members that `a`, as its beacon stores it, and `b` hold
// differently, in the record's order: the model when the two differ, then
// the members both models' layouts store.
std::vector<std::string> differingFields(const DeviceConfig& a, const DeviceConfig& b);

struct ShownDifference {
    std::string key;
    std::string label;  // fieldTitle
    std::string a;      // shownValue, tone lists in full when their short forms agree
    std::string b;
};
std::vector<ShownDifference> shownDifferences(const DeviceConfig& a, const DeviceConfig& b);

}  // namespace wb
