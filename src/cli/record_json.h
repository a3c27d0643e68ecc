#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "config/device_config.h"

namespace wb {

// The record as one JSON object. The keys are the member names in their
// declaration order; model is "none", "basic" or "tarsel"; morseText is a
// string whose characters U+0000..U+00FF stand for the bytes 0..255; tones
// holds the first toneCount entries; flags are 0 or 1; the three floats
// carry 9 significant digits (enough to read back the same float), and
// non-finite values are the strings "inf", "-inf" and "nan".
nlohmann::ordered_json recordToJson(const DeviceConfig& config);
// Pretty-printed, UTF-8, ending in a line break.
std::string recordToJsonText(const DeviceConfig& config);

// Applies the keys present in a JSON object; a missing key keeps its value.
// An unknown key, a value of the wrong type or out of range throws
// UsageError naming the key, and leaves the record unchanged.
void applyJson(const nlohmann::json& json, DeviceConfig& config);
// The same from JSON text; text that is not JSON is a usage error too.
void applyJsonText(std::string_view text, DeviceConfig& config);

// One --set KEY=VALUE: the same keys, tones as a comma-separated list, the
// Morse text as the given bytes, floats also as inf, -inf or nan.
void applySetting(std::string_view assignment, DeviceConfig& config);

std::string_view modelName(DeviceModel model);
std::optional<DeviceModel> modelFromName(std::string_view name);

// Bytes 0..255 as the characters U+0000..U+00FF in UTF-8, and back;
// nullopt when the text is not UTF-8 or holds a character above U+00FF.
std::string bytesToUtf8(std::string_view bytes);
std::optional<std::string> utf8ToBytes(std::string_view text);

// "%.9g": the shortest printf form that reads back to the same float.
std::string floatText(float value);

}  // namespace wb
