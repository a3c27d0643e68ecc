#include "wasm/page_form_plan.h"

#include <vector>

#include <nlohmann/json.hpp>

#include "app/morse_field.h"
#include "config/record_json.h"

namespace wb {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> found;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && isBlank(line[at])) ++at;
        const std::size_t start = at;
        while (at < line.size() && !isBlank(line[at])) ++at;
        if (at > start) found.push_back(line.substr(start, at - start));
    }
    return found;
}

// The typed text's capitals, in UTF-8: only characters of the single-byte
// range have one.
std::string typedUtf8(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            out += static_cast<char>(typedMorseByte(lead));
        } else if ((lead == 0xC2 || lead == 0xC3) && i + 1 < text.size() &&
                   (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) {
            const auto code = static_cast<unsigned char>(((lead & 0x1F) << 6) | (text[i + 1] & 0x3F));
            const unsigned char typed = typedMorseByte(code);
            out += static_cast<char>(0xC0 | (typed >> 6));
            out += static_cast<char>(0x80 | (typed & 0x3F));
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

std::string formPlanText(const DeviceConfig& record, std::string_view beaconLines) {
    nlohmann::ordered_json base = recordToJson(record);
    nlohmann::ordered_json plan;
    plan["model"] = base["model"];
    base.erase("model");
    plan["base"] = std::move(base);
    auto beacons = nlohmann::ordered_json::array();
    while (!beaconLines.empty()) {
        const std::size_t end = beaconLines.find('\n');
        const std::vector<std::string_view> line = words(beaconLines.substr(0, end));
        beaconLines.remove_prefix(end == std::string_view::npos ? beaconLines.size() : end + 1);
        if (line.empty()) continue;
        std::string text;
        for (std::size_t i = line.size() > 1 ? 1 : 0; i < line.size(); ++i) {
            if (!text.empty()) text += ' ';
            text += line[i];
        }
        beacons.push_back({{"name", std::string(line[0])}, {"set", {{"morseText", ' ' + typedUtf8(text) + ' '}}}});
    }
    plan["beacons"] = std::move(beacons);
    return plan.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + '\n';
}

}  // namespace wb
