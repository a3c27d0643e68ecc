#include "cli/record_table.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <vector>

#include "cli/record_json.h"

namespace wb {
namespace {

constexpr std::size_t kLabelWidth = 17;

struct Row {
    std::string_view label;
    std::string value;
    std::string_view unit = {};
};

std::string flagText(std::uint8_t flag) {
    return flag == 0 ? "no" : "yes";
}

// Entries separated by ", ", a line break after every tenth separator;
// continuation lines are indented under the value column.
std::string toneListText(const DeviceConfig& config) {
    const std::size_t count =
        config.toneCount <= 0 ? 0 : std::min(static_cast<std::size_t>(config.toneCount), kToneCapacity);
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        if (i != 0) {
            text += ',';
            text += i % 10 == 0 ? "\n" + std::string(kLabelWidth, ' ') : " ";
        }
        text += std::to_string(config.tones[i]);
    }
    return text;
}

}  // namespace

std::string formatInt(const char* format, int value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string formatDecimal(float value) {
    // Huge values are shown in full rather than cut.
    const double wide = static_cast<double>(value);
    const int length = std::snprintf(nullptr, 0, "%3.3f", wide);
    if (length <= 0) return {};
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
    std::snprintf(buffer.data(), buffer.size(), "%3.3f", wide);
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

std::string recordTable(const DeviceConfig& c) {
    const Row rows[] = {
        {"Model", std::string(modelName(c.model))},
        {"Text", "\"" + c.morseText + "\""},
        {"Speed", formatInt("%d", c.morseSpeedWpm), "WPM"},
        {"Tone", formatInt("%d", c.morseTone)},
        {"Tone Speed", formatInt("%d", c.toneSpeedMs), "ms"},
        {"Tones Duration", formatInt("%d", c.tonesDurationSec), "sec"},
        {"Pre Tones Delay", formatInt("%d", c.preTonesDelaySec), "sec"},
        {"Loop Time", formatInt("%d", c.loopTimeSec), "sec"},
        {"TX Frequency", formatDecimal(c.txFrequencyMHz), "MHz"},
        {"RX Frequency", formatDecimal(c.rxFrequencyMHz), "MHz"},
        {"Calibration", formatDecimal(c.calibrationPercent), "%"},
        {"Tones", toneListText(c)},
        {"Tone Count", formatInt("%d", c.toneCount)},
        {"Enable LED", flagText(c.ledEnabled)},
        {"Random Tones", flagText(c.randomTones)},
        {"Random Speed", flagText(c.randomSpeed)},
        {"Random Morse", flagText(c.randomMorse)},
        {"Auto Start", flagText(c.autoStart)},
        {"Disable RX", flagText(c.disableRx)},
        {"Unlock Code", formatInt("%04d", c.unlockCode)},
        {"Initial Delay", formatInt("%d", c.initialDelayMin), "min"},
        {"Total Runtime", formatInt("%d", c.totalRuntimeMin), "min"},
    };
    std::string table;
    for (const Row& row : rows) {
        std::string line = std::string(row.label) + ":";
        line.resize(kLabelWidth, ' ');
        line += row.value;
        if (!row.unit.empty()) {
            line += ' ';
            line += row.unit;
        }
        table += line;
        table += '\n';
    }
    return table;
}

}  // namespace wb
