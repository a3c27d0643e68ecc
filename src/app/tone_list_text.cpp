#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/form_binding.h"
#include "app/form_numbers.h"

namespace wb {
namespace {

constexpr std::string_view kDelimiters = " ,\r\t\n";

}  // namespace

void parseToneList(std::string_view text, DeviceConfig& config) {
    // The field is read whole, so a list longer than the record can hold
    // must be cut here: the first kToneCapacity entries count.
    std::size_t count = 0;
    std::size_t pos = text.find_first_not_of(kDelimiters);
    while (pos != std::string_view::npos && count < kToneCapacity) {
        std::size_t end = text.find_first_of(kDelimiters, pos);
        if (end == std::string_view::npos) end = text.size();
        // The low eight bits: 256 gives 0, -1 gives 255.
        const auto value = static_cast<std::uint32_t>(readFormInteger(text.substr(pos, end - pos)));
        config.tones[count++] = static_cast<std::uint8_t>(value & 0xFFu);
        pos = text.find_first_not_of(kDelimiters, end);
    }
    if (count == 0) {
        config.tones[0] = 1;
        count = 1;
    }
    // Entries past the new count keep their values: the list is only ever
    // read up to toneCount.
    config.toneCount = static_cast<std::int32_t>(count);
}

}  // namespace wb
