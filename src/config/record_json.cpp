#include "config/record_json.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <vector>

#include "config/record_fields.h"
#include "config/record_text.h"

namespace wb {
namespace {

using Json = nlohmann::json;

InputError fail(std::string_view key, std::string_view what) {
    return std::string(key) + ": " + std::string(what);
}

const std::string& modelChoices() {
    static const std::string text = "expected " + modelChoicesText(true, true);
    return text;
}
constexpr std::string_view kFlagChoices = "expected 0, 1, true or false";

std::string rangeText(const RecordField& field) {
    return std::to_string(field.min) + ".." + std::to_string(field.max);
}

nlohmann::ordered_json floatJson(float value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    // The double nearest the 9-digit text: the JSON writer prints a double
    // in its shortest form, which is then that text again.
    return parseDecimal(floatText(value)).value_or(0.0);
}

// Finite values must fit a float; inf and nan are taken as they are.
InputError takeDecimal(const RecordField& field, double value, DeviceConfig& config) {
    if (std::isfinite(value) && std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max())) {
        return fail(field.key, "out of range for a single-precision number");
    }
    config.*field.decimal = static_cast<float>(value);
    return std::nullopt;
}

// An integer member or the tone count, within the field's range.
InputError takeInteger(const RecordField& field, std::int64_t value, DeviceConfig& config) {
    if (value < field.min || value > field.max) return fail(field.key, "out of range " + rangeText(field));
    const auto number = static_cast<std::int32_t>(value);
    if (field.kind == FieldKind::ToneCount) {
        config.toneCount = number;
    } else {
        config.*field.integer = number;
    }
    return std::nullopt;
}

InputError takeText(const RecordField& field, std::string_view utf8, DeviceConfig& config) {
    std::string fault;
    const auto bytes = utf8ToBytes(utf8, &fault);
    if (!bytes) return fail(field.key, fault + "; only characters U+0001 to U+00FF stand for bytes");
    const std::size_t nul = bytes->find('\0');
    if (nul != std::string::npos) {
        return fail(field.key, "character " + std::to_string(nul + 1) + " is NUL, which would end the text on the beacon");
    }
    config.morseText = *bytes;
    return std::nullopt;
}

std::string zeroToneText(std::size_t index) {
    return "entry " + std::to_string(index + 1) + " is 0, which would end the tone list on the beacon";
}

// A tone list entry: 1..255, a 0 named as the end of the list it would be.
InputError checkToneEntry(const RecordField& field, std::size_t index, std::optional<std::int64_t> value) {
    if (value && *value == 0) return fail(field.key, zeroToneText(index));
    if (!value || *value < field.min || *value > field.max) {
        return fail(field.key, "entry " + std::to_string(index + 1) + " is not a number " + rangeText(field));
    }
    return std::nullopt;
}

InputError checkToneListSize(const RecordField& field, std::size_t size) {
    if (size > kToneCapacity) {
        return fail(field.key,
                    "at most " + std::to_string(kToneCapacity) + " entries, got " + std::to_string(size));
    }
    return std::nullopt;
}

void setTones(DeviceConfig& config, const std::vector<std::int64_t>& entries) {
    // Entries after the new count keep their values, as in the form.
    for (std::size_t i = 0; i < entries.size(); ++i) config.tones[i] = static_cast<std::uint8_t>(entries[i]);
    config.toneCount = static_cast<std::int32_t>(entries.size());
}

// A count given on its own lengthens the list over entries nobody gave.
InputError checkListedTones(const DeviceConfig& config) {
    for (std::size_t i = 0; i < listedToneCount(config); ++i) {
        if (config.tones[i] == 0) return fail("toneCount", "tones " + zeroToneText(i));
    }
    return std::nullopt;
}

InputError jsonInteger(const RecordField& field, const Json& value, std::int64_t& number) {
    if (value.is_number_unsigned()) {
        const auto unsignedNumber = value.get<std::uint64_t>();
        if (unsignedNumber > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return fail(field.key, "out of range " + rangeText(field));
        }
        number = static_cast<std::int64_t>(unsignedNumber);
        return std::nullopt;
    }
    if (value.is_number_integer()) {
        number = value.get<std::int64_t>();
        return std::nullopt;
    }
    return fail(field.key, "expected an integer");
}

std::optional<std::int64_t> jsonToneEntry(const Json& entry) {
    if (entry.is_number_unsigned()) {
        const auto number = entry.get<std::uint64_t>();
        return number > 255 ? 256 : static_cast<std::int64_t>(number);
    }
    if (entry.is_number_integer()) return entry.get<std::int64_t>();
    return std::nullopt;
}

InputError applyJsonValue(const RecordField& field, const Json& value, DeviceConfig& config) {
    const std::string_view key = field.key;
    switch (field.kind) {
    case FieldKind::Model: {
        const auto model = value.is_string() ? modelFromName(value.get<std::string>()) : std::nullopt;
        if (!model) return fail(key, modelChoices());
        config.model = *model;
        return std::nullopt;
    }
    case FieldKind::Text:
        if (!value.is_string()) return fail(key, "expected a string");
        return takeText(field, value.get<std::string>(), config);
    case FieldKind::Integer:
    case FieldKind::ToneCount: {
        std::int64_t number = 0;
        if (auto error = jsonInteger(field, value, number)) return error;
        return takeInteger(field, number, config);
    }
    case FieldKind::Decimal:
        if (value.is_number()) return takeDecimal(field, value.get<double>(), config);
        if (value.is_string() && (value == "inf" || value == "-inf" || value == "nan")) {
            return takeDecimal(field, *parseDecimal(value.get<std::string>()), config);
        }
        return fail(key, "expected a number, \"inf\", \"-inf\" or \"nan\"");
    case FieldKind::Tones: {
        if (!value.is_array()) return fail(key, "expected an array of numbers " + rangeText(field));
        if (auto error = checkToneListSize(field, value.size())) return error;
        std::vector<std::int64_t> entries;
        for (std::size_t i = 0; i < value.size(); ++i) {
            const auto entry = jsonToneEntry(value[i]);
            if (auto error = checkToneEntry(field, i, entry)) return error;
            entries.push_back(*entry);
        }
        setTones(config, entries);
        return std::nullopt;
    }
    case FieldKind::Flag:
        if (value.is_boolean()) {
            config.*field.flag = value.get<bool>() ? 1 : 0;
        } else if (value.is_number_integer() && (value == 0 || value == 1)) {
            config.*field.flag = static_cast<std::uint8_t>(value.get<int>());
        } else {
            return fail(key, kFlagChoices);
        }
        return std::nullopt;
    }
    return std::nullopt;
}

InputError applyTextValue(const RecordField& field, std::string_view text, DeviceConfig& config) {
    const std::string_view key = field.key;
    switch (field.kind) {
    case FieldKind::Model: {
        const auto model = modelFromName(text);
        if (!model) return fail(key, modelChoices());
        config.model = *model;
        return std::nullopt;
    }
    case FieldKind::Text:
        return takeText(field, text, config);
    case FieldKind::Integer: {
        const auto number = parseInteger(text);
        if (!number) return fail(key, "expected an integer, got \"" + std::string(text) + "\"");
        return takeInteger(field, *number, config);
    }
    case FieldKind::ToneCount: {
        const auto number = parseInteger(text);
        if (!number) return fail(key, "expected an integer " + rangeText(field));
        if (auto error = takeInteger(field, *number, config)) return error;
        return checkListedTones(config);
    }
    case FieldKind::Decimal: {
        const auto number = parseDecimal(text);
        if (!number) return fail(key, "expected a number, inf, -inf or nan, got \"" + std::string(text) + "\"");
        return takeDecimal(field, *number, config);
    }
    case FieldKind::Tones: {
        std::vector<std::int64_t> entries;
        for (std::size_t start = 0; !text.empty();) {
            const std::size_t comma = text.find(',', start);
            const std::string_view piece = text.substr(start, comma - start);
            if (auto error = checkToneListSize(field, entries.size() + 1)) return error;
            const auto entry = parseInteger(piece);
            if (auto error = checkToneEntry(field, entries.size(), entry)) return error;
            entries.push_back(*entry);
            if (comma == std::string_view::npos) break;
            start = comma + 1;
        }
        setTones(config, entries);
        return std::nullopt;
    }
    case FieldKind::Flag:
        if (text == "1" || text == "true") {
            config.*field.flag = 1;
        } else if (text == "0" || text == "false") {
            config.*field.flag = 0;
        } else {
            return fail(key, kFlagChoices);
        }
        return std::nullopt;
    }
    return std::nullopt;
}

// A first pass over the text that the document parser cannot make: it keeps
// the last of two equal keys without a word, and without exceptions it
// cannot say where the text stops being JSON. Keys are checked at every
// depth, each named by its place ("beacons[1].set: morseText").
class KeyCheck : public nlohmann::json_sax<Json> {
public:
    explicit KeyCheck(std::string_view document) : document_(document) {}

    InputError error;
    std::string syntaxError;

    bool null() override { return value(); }
    bool boolean(bool) override { return value(); }
    bool number_integer(number_integer_t) override { return value(); }
    bool number_unsigned(number_unsigned_t) override { return value(); }
    bool number_float(number_float_t, const string_t&) override { return value(); }
    bool string(string_t&) override { return value(); }
    bool binary(binary_t&) override { return value(); }
    bool start_object(std::size_t) override { return open(true); }
    bool key(string_t& name) override {
        Level& level = levels_.back();
        if (!level.keys.insert(name).second) {
            const std::string path = pathOfLevels();
            error = (path.empty() ? std::string() : path + ": ") + name + ": given twice in " +
                    std::string(document_);
            return false;
        }
        key_ = name;
        return true;
    }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(false); }
    bool end_array() override { return close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::json::exception& cause) override {
        syntaxError = cause.what();
        return false;
    }

private:
    struct Level {
        bool object = false;
        std::string step;  // its place in its parent: "set" or "[1]"; empty at the top
        std::set<std::string> keys;
        std::size_t items = 0;
    };

    // "beacons[1].set", made only for a message: each level keeps its own
    // step, so that a deep text costs no more than its length.
    std::string pathOfLevels() const {
        std::string path;
        for (std::size_t i = 1; i < levels_.size(); ++i) {
            if (!path.empty() && levels_[i - 1].object) path += '.';
            path += levels_[i].step;
        }
        return path;
    }
    // Where the value that starts now sits in its parent.
    std::string stepOfValue() {
        if (levels_.empty()) return {};
        Level& parent = levels_.back();
        if (!parent.object) return "[" + std::to_string(parent.items++) + "]";
        return key_;
    }
    bool value() {
        if (!levels_.empty() && !levels_.back().object) ++levels_.back().items;
        return true;
    }
    bool open(bool object) {
        // No record or plan nests more than a few levels: a deeper text is
        // refused before a parser builds it (the page refuses the same).
        if (levels_.size() == kMaxJsonDepth) {
            error = std::string(document_) + " nests deeper than " + std::to_string(kMaxJsonDepth) + " levels";
            return false;
        }
        Level level;
        level.object = object;
        level.step = stepOfValue();
        levels_.push_back(std::move(level));
        return true;
    }
    bool close() {
        levels_.pop_back();
        return true;
    }

    std::string_view document_;
    std::vector<Level> levels_;
    std::string key_;
};

InputError applyJson(const Json& json, DeviceConfig& config) {
    if (!json.is_object()) return std::string("the JSON record must be one object");
    DeviceConfig result = config;
    for (const auto& [key, value] : json.items()) {
        const RecordField* field = findRecordField(key);
        if (field == nullptr) return "unknown key \"" + key + "\" in the JSON record";
        if (auto error = applyJsonValue(*field, value, result)) return error;
    }
    if (json.contains("toneCount")) {
        // toneCount follows the tones array; a count that says otherwise is a mistake.
        if (json.contains("tones") && json["toneCount"] != json["tones"].size()) {
            return fail("toneCount", "differs from the length of tones");
        }
        if (auto error = checkListedTones(result)) return error;
    }
    config = result;
    return std::nullopt;
}

}  // namespace

nlohmann::ordered_json recordToJson(const DeviceConfig& config) {
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    for (const RecordField& field : kRecordFields) {
        const std::string key(field.key);
        switch (field.kind) {
        case FieldKind::Model: json[key] = modelName(config.model); break;
        case FieldKind::Text: json[key] = bytesToUtf8(config.morseText); break;
        case FieldKind::Integer: json[key] = config.*field.integer; break;
        case FieldKind::Decimal: json[key] = floatJson(config.*field.decimal); break;
        case FieldKind::Tones: {
            auto tones = nlohmann::ordered_json::array();
            for (std::size_t i = 0; i < listedToneCount(config); ++i) tones.push_back(config.tones[i]);
            json[key] = tones;
            break;
        }
        case FieldKind::ToneCount: json[key] = config.toneCount; break;
        case FieldKind::Flag: json[key] = config.*field.flag; break;
        }
    }
    return json;
}

nlohmann::ordered_json recordFieldsJson() {
    auto rows = nlohmann::ordered_json::array();
    for (const RecordField& field : kRecordFields) {
        auto models = nlohmann::ordered_json::array();
        for (const RecordModel& model : kRecordModels) {
            if (layoutCarries(model.code, field)) models.push_back(model.name);
        }
        rows.push_back({{"key", field.key},
                        {"kind", fieldKindName(field.kind)},
                        {"label", field.label},
                        {"unit", field.unit},
                        {"format", fieldFormatText(field.format)},
                        {"min", field.min},
                        {"max", field.max},
                        {"models", models}});
    }
    return rows;
}

nlohmann::ordered_json modelsJson() {
    auto rows = nlohmann::ordered_json::array();
    for (const RecordModel& model : kRecordModels) {
        rows.push_back({{"code", static_cast<std::int32_t>(model.code)}, {"name", model.name}, {"title", model.title}});
    }
    return rows;
}

namespace {

// The writer escapes C0 controls itself; DEL and the C1 controls (as UTF-8)
// are escaped too, so that a printed record cannot steer a terminal. The
// same JSON either way.
std::string withControlsEscaped(const std::string& json) {
    std::string text;
    for (std::size_t i = 0; i < json.size(); ++i) {
        const auto byte = static_cast<unsigned char>(json[i]);
        const auto next = i + 1 < json.size() ? static_cast<unsigned char>(json[i + 1]) : 0;
        if (byte == 0x7f || (byte == 0xc2 && next >= 0x80 && next <= 0x9f)) {
            const unsigned code = byte == 0x7f ? byte : next;
            constexpr char kHex[] = "0123456789abcdef";
            text += "\\u00";
            text += kHex[code >> 4];
            text += kHex[code & 0xf];
            if (byte == 0xc2) ++i;
        } else {
            text.push_back(json[i]);
        }
    }
    return text;
}

}  // namespace

std::string recordToJsonText(const DeviceConfig& config) {
    // One key to a line, the tone list on one line: easier to read and edit
    // than one line per entry.
    std::string text = "{";
    const char* separator = "\n  ";
    const auto json = recordToJson(config);
    for (const auto& [key, value] : json.items()) {
        text += separator;
        text += nlohmann::ordered_json(key).dump() + ": " +
                withControlsEscaped(value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::strict));
        separator = ",\n  ";
    }
    return text + "\n}\n";
}

InputError checkJsonText(std::string_view text, std::string_view document, std::string* syntaxError) {
    // The parser takes a NUL for the end of the text and would ignore
    // whatever follows it; no JSON text holds one.
    if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
        return "byte " + std::to_string(nul + 1) + " is NUL, which " + std::string(document) + " cannot hold";
    }
    KeyCheck check(document);
    if (!Json::sax_parse(text.begin(), text.end(), &check) && !check.error && syntaxError != nullptr) {
        *syntaxError = check.syntaxError.empty() ? "not JSON" : check.syntaxError;
    }
    return check.error;
}

InputError applyJsonText(std::string_view text, DeviceConfig& config) {
    std::string syntax;
    if (InputError error = checkJsonText(text, "the JSON record", &syntax)) return error;
    if (!syntax.empty()) return "not a JSON record: " + syntax;
    return applyJson(Json::parse(text.begin(), text.end(), nullptr, false), config);
}

InputError applySetting(std::string_view assignment, DeviceConfig& config) {
    const std::size_t equals = assignment.find('=');
    if (equals == std::string_view::npos) return fail(assignment, "expected KEY=VALUE");
    const std::string_view key = assignment.substr(0, equals);
    const RecordField* field = findRecordField(key);
    if (field == nullptr) return fail(key, "unknown key");
    DeviceConfig result = config;
    if (auto error = applyTextValue(*field, assignment.substr(equals + 1), result)) return error;
    config = result;
    return std::nullopt;
}

}  // namespace wb
