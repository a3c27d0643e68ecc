#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "config/device_config.h"
#include "config/record_fields.h"

namespace wb {

// A member as people see it, in every front end: the dialog's form, the
// command line's table and comparisons, the audit, the hunt sheet and the
// page. Numbers are shown as the form shows them, by the field's format.

// The form's label, or the member's name where the form has no field for
// it: "Model", "Tone Count".
std::string_view fieldTitle(const RecordField& field);

// A flag in a table: "yes" or "no".
std::string flagText(bool on);

// An integer member by its format: "%d", or "%04d" (7 as 0007, -7 as -007).
std::string shownInteger(const RecordField& field, std::int32_t value);

// "%3.3f" of the value widened to double. A field shows at most 19
// characters, so a value whose fixed text would be longer (from 1e15 up or
// -1e14 down) is shown as "%.8e" instead, which reads back to the same
// float; infinities and NaN show as "inf", "-inf" and "nan".
inline constexpr std::size_t kMaxNumberText = 19;
std::string shownDecimal(float value);

// The tone list as the form's Tones field holds it: entries separated by
// ", ", with `tenthSeparator` (", " and CR LF in the form) after every tenth.
inline constexpr std::string_view kFormTenthSeparator = ", \r\n";
std::string formatToneList(const DeviceConfig& config, std::string_view tenthSeparator = kFormTenthSeparator);

// How shownValue writes what is not a number.
struct ValueView {
    // The model by its name as --set takes it ("tarsel"), else its title.
    bool modelByName = false;
    enum class Tones : std::uint8_t {
        Counted,  // "64 tones: 1, 20, 1, 20, 1, 11, ..."
        Full,     // "64 tones: " and every entry
        Lines,    // formatToneList with `tenthSeparator`
    } tones = Tones::Counted;
    std::string_view tenthSeparator = kFormTenthSeparator;
};

// A member's value in one line of text ("146.565", "0060", "yes"); the
// Morse text in double quotes, as UTF-8, as --set takes it.
std::string shownValue(const RecordField& field, const DeviceConfig& config, const ValueView& view = {});

}  // namespace wb
