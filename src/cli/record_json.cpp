#include "cli/record_json.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "cli/usage_error.h"

namespace wb {
namespace {

enum class Kind { Model, Text, Int, Float, Tones, ToneCount, Flag };

struct Field {
    std::string_view name;
    Kind kind;
    std::int32_t DeviceConfig::*intMember = nullptr;
    float DeviceConfig::*floatMember = nullptr;
    std::uint8_t DeviceConfig::*flagMember = nullptr;
};

constexpr Field intField(std::string_view name, std::int32_t DeviceConfig::*member) {
    return {name, Kind::Int, member, nullptr, nullptr};
}
constexpr Field floatField(std::string_view name, float DeviceConfig::*member) {
    return {name, Kind::Float, nullptr, member, nullptr};
}
constexpr Field flagField(std::string_view name, std::uint8_t DeviceConfig::*member) {
    return {name, Kind::Flag, nullptr, nullptr, member};
}

// In the record's declaration order, which is also the JSON output order.
constexpr std::array kFields = {
    Field{"model", Kind::Model},
    Field{"morseText", Kind::Text},
    intField("morseSpeedWpm", &DeviceConfig::morseSpeedWpm),
    intField("morseTone", &DeviceConfig::morseTone),
    intField("toneSpeedMs", &DeviceConfig::toneSpeedMs),
    intField("tonesDurationSec", &DeviceConfig::tonesDurationSec),
    intField("preTonesDelaySec", &DeviceConfig::preTonesDelaySec),
    intField("loopTimeSec", &DeviceConfig::loopTimeSec),
    floatField("txFrequencyMHz", &DeviceConfig::txFrequencyMHz),
    floatField("rxFrequencyMHz", &DeviceConfig::rxFrequencyMHz),
    floatField("calibrationPercent", &DeviceConfig::calibrationPercent),
    Field{"tones", Kind::Tones},
    Field{"toneCount", Kind::ToneCount},
    flagField("ledEnabled", &DeviceConfig::ledEnabled),
    flagField("randomTones", &DeviceConfig::randomTones),
    flagField("randomSpeed", &DeviceConfig::randomSpeed),
    flagField("randomMorse", &DeviceConfig::randomMorse),
    flagField("autoStart", &DeviceConfig::autoStart),
    flagField("disableRx", &DeviceConfig::disableRx),
    intField("unlockCode", &DeviceConfig::unlockCode),
    intField("initialDelayMin", &DeviceConfig::initialDelayMin),
    intField("totalRuntimeMin", &DeviceConfig::totalRuntimeMin),
};

const Field* findField(std::string_view name) {
    for (const Field& field : kFields) {
        if (field.name == name) return &field;
    }
    return nullptr;
}

[[noreturn]] void fail(std::string_view key, std::string_view what) {
    throw UsageError(std::string(key) + ": " + std::string(what));
}

constexpr std::string_view kModelChoices = "expected \"none\", \"basic\" or \"tarsel\"";
constexpr std::string_view kFlagChoices = "expected 0, 1, true or false";

// The tone list shown by its first toneCount entries; a count the record
// should never hold is kept inside the list.
std::size_t shownToneCount(const DeviceConfig& config) {
    if (config.toneCount <= 0) return 0;
    return std::min(static_cast<std::size_t>(config.toneCount), kToneCapacity);
}

nlohmann::ordered_json floatJson(float value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    // The double nearest the 9-digit text: the JSON writer prints a double
    // in its shortest form, which is then that text again.
    const std::string text = floatText(value);
    double number = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    return number;
}

// Finite values must fit a float; inf and nan are taken as they are.
float toFloat(std::string_view key, double value) {
    if (std::isfinite(value) && std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max())) {
        fail(key, "out of range for a single-precision number");
    }
    return static_cast<float>(value);
}

std::optional<double> parseDouble(std::string_view text) {
    if (text == "inf" || text == "+inf") return std::numeric_limits<double>::infinity();
    if (text == "-inf") return -std::numeric_limits<double>::infinity();
    if (text == "nan") return std::numeric_limits<double>::quiet_NaN();
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text.front())) || text.front() == '-' ||
                          text.front() == '.')) {
        return std::nullopt;
    }
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<std::int64_t> parseInteger(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.front() == '+') return std::nullopt;
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::int64_t jsonInteger(std::string_view key, const nlohmann::json& value) {
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (number > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            fail(key, "out of range");
        }
        return static_cast<std::int64_t>(number);
    }
    if (value.is_number_integer()) return value.get<std::int64_t>();
    fail(key, "expected an integer");
}

std::int64_t checkRange(std::string_view key, std::int64_t value, std::int64_t low, std::int64_t high) {
    if (value < low || value > high) {
        fail(key, "out of range " + std::to_string(low) + ".." + std::to_string(high));
    }
    return value;
}

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

void setTones(DeviceConfig& config, const std::vector<std::uint8_t>& entries) {
    // Entries after the new count keep their values, as in the form.
    for (std::size_t i = 0; i < entries.size(); ++i) config.tones[i] = entries[i];
    config.toneCount = static_cast<std::int32_t>(entries.size());
}

void checkToneListSize(std::string_view key, std::size_t size) {
    if (size > kToneCapacity) {
        fail(key, "at most " + std::to_string(kToneCapacity) + " entries, got " + std::to_string(size));
    }
}

std::uint8_t toneEntry(std::string_view key, std::size_t index, std::optional<std::int64_t> value) {
    if (!value || *value < 0 || *value > 255) {
        fail(key, "entry " + std::to_string(index + 1) + " is not a number 0..255");
    }
    return static_cast<std::uint8_t>(*value);
}

void applyJsonField(const Field& field, const nlohmann::json& value, DeviceConfig& config) {
    const std::string_view key = field.name;
    switch (field.kind) {
    case Kind::Model: {
        const auto model = value.is_string() ? modelFromName(value.get<std::string>()) : std::nullopt;
        if (!model) fail(key, kModelChoices);
        config.model = *model;
        return;
    }
    case Kind::Text: {
        if (!value.is_string()) fail(key, "expected a string");
        const auto bytes = utf8ToBytes(value.get<std::string>());
        if (!bytes) fail(key, "only characters U+0000 to U+00FF stand for bytes");
        config.morseText = *bytes;
        return;
    }
    case Kind::Int:
        config.*field.intMember = static_cast<std::int32_t>(checkRange(key, jsonInteger(key, value), kInt32Min, kInt32Max));
        return;
    case Kind::Float:
        if (value.is_number()) {
            config.*field.floatMember = toFloat(key, value.get<double>());
        } else if (value.is_string() && (value == "inf" || value == "-inf" || value == "nan")) {
            config.*field.floatMember = toFloat(key, *parseDouble(value.get<std::string>()));
        } else {
            fail(key, "expected a number, \"inf\", \"-inf\" or \"nan\"");
        }
        return;
    case Kind::Tones: {
        if (!value.is_array()) fail(key, "expected an array of numbers 0..255");
        checkToneListSize(key, value.size());
        std::vector<std::uint8_t> entries;
        for (std::size_t i = 0; i < value.size(); ++i) {
            const auto& entry = value[i];
            const bool integral = entry.is_number_integer();
            std::optional<std::int64_t> number;
            if (integral && entry.is_number_unsigned()) {
                number = entry.get<std::uint64_t>() > 255 ? 256 : static_cast<std::int64_t>(entry.get<std::uint64_t>());
            } else if (integral) {
                number = entry.get<std::int64_t>();
            }
            entries.push_back(toneEntry(key, i, number));
        }
        setTones(config, entries);
        return;
    }
    case Kind::ToneCount:
        config.toneCount = static_cast<std::int32_t>(
            checkRange(key, jsonInteger(key, value), 0, static_cast<std::int64_t>(kToneCapacity)));
        return;
    case Kind::Flag:
        if (value.is_boolean()) {
            config.*field.flagMember = value.get<bool>() ? 1 : 0;
        } else if (value.is_number_integer() && (value == 0 || value == 1)) {
            config.*field.flagMember = static_cast<std::uint8_t>(value.get<int>());
        } else {
            fail(key, kFlagChoices);
        }
        return;
    }
}

void applyTextField(const Field& field, std::string_view text, DeviceConfig& config) {
    const std::string_view key = field.name;
    switch (field.kind) {
    case Kind::Model: {
        const auto model = modelFromName(text);
        if (!model) fail(key, kModelChoices);
        config.model = *model;
        return;
    }
    case Kind::Text:
        config.morseText = std::string(text);
        return;
    case Kind::Int: {
        const auto number = parseInteger(text);
        if (!number) fail(key, "expected an integer, got \"" + std::string(text) + "\"");
        config.*field.intMember = static_cast<std::int32_t>(checkRange(key, *number, kInt32Min, kInt32Max));
        return;
    }
    case Kind::Float: {
        const auto number = parseDouble(text);
        if (!number) fail(key, "expected a number, inf, -inf or nan, got \"" + std::string(text) + "\"");
        config.*field.floatMember = toFloat(key, *number);
        return;
    }
    case Kind::Tones: {
        std::vector<std::uint8_t> entries;
        if (!text.empty()) {
            std::size_t start = 0;
            while (true) {
                const std::size_t comma = text.find(',', start);
                const std::string_view piece = text.substr(start, comma - start);
                checkToneListSize(key, entries.size() + 1);
                entries.push_back(toneEntry(key, entries.size(), parseInteger(piece)));
                if (comma == std::string_view::npos) break;
                start = comma + 1;
            }
        }
        setTones(config, entries);
        return;
    }
    case Kind::ToneCount: {
        const auto number = parseInteger(text);
        if (!number) fail(key, "expected an integer 0..200");
        config.toneCount = static_cast<std::int32_t>(checkRange(key, *number, 0, static_cast<std::int64_t>(kToneCapacity)));
        return;
    }
    case Kind::Flag:
        if (text == "1" || text == "true") {
            config.*field.flagMember = 1;
        } else if (text == "0" || text == "false") {
            config.*field.flagMember = 0;
        } else {
            fail(key, kFlagChoices);
        }
        return;
    }
}

}  // namespace

std::string_view modelName(DeviceModel model) {
    switch (model) {
    case DeviceModel::Basic: return "basic";
    case DeviceModel::Tarsel: return "tarsel";
    default: return "none";
    }
}

std::optional<DeviceModel> modelFromName(std::string_view name) {
    if (name == "none") return DeviceModel::None;
    if (name == "basic") return DeviceModel::Basic;
    if (name == "tarsel") return DeviceModel::Tarsel;
    return std::nullopt;
}

std::string bytesToUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

std::optional<std::string> utf8ToBytes(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            bytes += text[i];
            continue;
        }
        // U+0080..U+00FF are exactly the two-byte sequences C2 xx and C3 xx.
        if ((lead != 0xC2 && lead != 0xC3) || i + 1 >= text.size()) return std::nullopt;
        const auto next = static_cast<unsigned char>(text[++i]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        bytes += static_cast<char>(((lead & 0x03) << 6) | (next & 0x3F));
    }
    return bytes;
}

std::string floatText(float value) {
    std::array<char, 32> buffer{};
    const auto [end, ec] =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::general, 9);
    return ec == std::errc{} ? std::string(buffer.data(), end) : std::string("nan");
}

nlohmann::ordered_json recordToJson(const DeviceConfig& config) {
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    for (const Field& field : kFields) {
        const std::string key(field.name);
        switch (field.kind) {
        case Kind::Model: json[key] = modelName(config.model); break;
        case Kind::Text: json[key] = bytesToUtf8(config.morseText); break;
        case Kind::Int: json[key] = config.*field.intMember; break;
        case Kind::Float: json[key] = floatJson(config.*field.floatMember); break;
        case Kind::Tones: {
            auto tones = nlohmann::ordered_json::array();
            for (std::size_t i = 0; i < shownToneCount(config); ++i) tones.push_back(config.tones[i]);
            json[key] = tones;
            break;
        }
        case Kind::ToneCount: json[key] = config.toneCount; break;
        case Kind::Flag: json[key] = config.*field.flagMember; break;
        }
    }
    return json;
}

std::string recordToJsonText(const DeviceConfig& config) {
    // One key to a line, the tone list on one line: easier to read and edit
    // than one line per entry.
    std::string text = "{";
    const char* separator = "\n  ";
    const auto json = recordToJson(config);
    for (const auto& [key, value] : json.items()) {
        text += separator;
        text += nlohmann::ordered_json(key).dump() + ": " +
                value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::strict);
        separator = ",\n  ";
    }
    return text + "\n}\n";
}

void applyJson(const nlohmann::json& json, DeviceConfig& config) {
    if (!json.is_object()) throw UsageError("the JSON record must be one object");
    DeviceConfig result = config;
    for (const auto& [key, value] : json.items()) {
        const Field* field = findField(key);
        if (field == nullptr) throw UsageError("unknown key \"" + key + "\" in the JSON record");
        applyJsonField(*field, value, result);
    }
    // toneCount follows the tones array; a count that says otherwise is a mistake.
    if (json.contains("tones") && json.contains("toneCount") && json["toneCount"] != json["tones"].size()) {
        fail("toneCount", "differs from the length of tones");
    }
    config = result;
}

void applyJsonText(std::string_view text, DeviceConfig& config) {
    nlohmann::json json;
    try {
        json = nlohmann::json::parse(text);
    } catch (const nlohmann::json::exception& e) {
        throw UsageError(std::string("not a JSON record: ") + e.what());
    }
    applyJson(json, config);
}

void applySetting(std::string_view assignment, DeviceConfig& config) {
    const std::size_t equals = assignment.find('=');
    if (equals == std::string_view::npos) {
        throw UsageError("--set " + std::string(assignment) + ": expected KEY=VALUE");
    }
    const std::string_view key = assignment.substr(0, equals);
    const Field* field = findField(key);
    if (field == nullptr) throw UsageError("--set: unknown key \"" + std::string(key) + "\"");
    applyTextField(*field, assignment.substr(equals + 1), config);
}

}  // namespace wb
