#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "config/device_config.h"

namespace wb {

// The record as one JSON object. The keys are the member names in their
// declaration order; model is "none" or a
// model table name; morseText is a
// string whose characters U+0000..U+00FF stand for the bytes 0..255; tones
// holds the first toneCount entries; flags are 0 or 1; the three floats
// carry 9 significant digits (enough to read back the same float), and
// non-finite values are the strings "inf", "-inf" and "nan".
nlohmann::ordered_json recordToJson(const DeviceConfig& config);
// Pretty-printed, UTF-8, ending in a line break.
std::string recordToJsonText(const DeviceConfig& config);

// The field table (record_fields.h) as a JSON array, one object per member
// in the record's order: key, kind, label, unit, format, min, max and
// models (the names of those whose layout stores it), for a front end that is not written in C++.
nlohmann::ordered_json recordFieldsJson();

// The model table as a JSON array in its order, one object per model: code,
// name and title ([{"code":1,"name":"basic","title":"Basic"}, ...]), for a
// front end that fills its model choice from it.
nlohmann::ordered_json modelsJson();

// Why an input was refused, naming the key: "KEY: what". Nothing here
// throws; the front end decides how to show the message.
using InputError = std::optional<std::string>;

// Applies the keys present in a JSON object; a missing key keeps its value.
// Text that is not JSON, a key given twice, an unknown key, a value of the
// wrong type or out of range is refused and leaves the record unchanged.
[[nodiscard]] InputError applyJsonText(std::string_view text, DeviceConfig& config);

// The deepest nesting of objects and arrays a JSON input may have.
inline constexpr std::size_t kMaxJsonDepth = 64;

// What the JSON parser would pass over: a key given twice in one object,
// at any depth ("beacons[1].set: morseText: given twice in the plan"), and
// a NUL byte, after which it reads no further, and a text nested deeper
// than kMaxJsonDepth ("the plan nests deeper than 64 levels"), whose places
// it would take long to tell apart. `document` names the text
// in the message. A text that is not JSON is not refused here: its
// parser's message goes to `syntaxError` when given.
[[nodiscard]] InputError checkJsonText(std::string_view text, std::string_view document,
                                       std::string* syntaxError = nullptr);

// One KEY=VALUE setting: the same keys, tones as a comma-separated list,
// the Morse text as UTF-8 as in JSON, floats also as inf, -inf or nan.
[[nodiscard]] InputError applySetting(std::string_view assignment, DeviceConfig& config);

}  // namespace wb
