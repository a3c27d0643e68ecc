#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "app/form_fields.h"

namespace wb {

// The page's fields are the dialog's: one list for both.
using PageField = FormField;
inline constexpr const auto& kPageFields = kFormFields;

// The box each field sits in on the page, as the dialog's columns group
// them; a box holds a run of fields in the form's order.
struct PageFieldGroup {
    std::string_view key;
    std::string_view group;
};

inline constexpr std::array<PageFieldGroup, kPageFields.size()> kPageFieldGroups = {{
    {"preTonesDelaySec", "Timing"},
    {"tonesDurationSec", "Timing"},
    {"loopTimeSec", "Timing"},
    {"toneSpeedMs", "Timing"},
    {"initialDelayMin", "Timing"},
    {"totalRuntimeMin", "Timing"},
    {"txFrequencyMHz", "Radio"},
    {"rxFrequencyMHz", "Radio"},
    {"calibrationPercent", "Radio"},
    {"unlockCode", "Radio"},
    {"tones", "Tone sequence"},
    {"morseText", "Morse Code ID"},
    {"morseSpeedWpm", "Morse Code ID"},
    {"morseTone", "Morse Code ID"},
    {"ledEnabled", "Options"},
    {"randomTones", "Options"},
    {"randomSpeed", "Options"},
    {"randomMorse", "Options"},
    {"autoStart", "Options"},
    {"disableRx", "Options"},
}};

// Every field of the form in one box, in the form's order: a field added
// to the form and not here fails the build.
consteval bool groupsFollowTheForm() {
    for (std::size_t i = 0; i < kPageFields.size(); ++i) {
        if (kPageFieldGroups[i].key != kPageFields[i].field.key) return false;
    }
    return true;
}
static_assert(groupsFollowTheForm(), "kPageFieldGroups must list kFormFields' keys in order");

}  // namespace wb
