#include "config/device_config.h"

namespace wb {

ToneList factoryTones() {
    // Four pairs of rows, each pair a rising two-tone warble and a triple.
    static constexpr std::uint8_t kRows[8][8] = {
        {1, 20, 1, 20, 1, 11, 11, 11}, {1, 20, 1, 20, 1, 11, 11, 11},
        {1, 23, 1, 23, 1, 16, 16, 16}, {1, 23, 1, 23, 1, 16, 16, 16},
        {1, 26, 1, 26, 1, 20, 20, 20}, {1, 26, 1, 26, 1, 20, 20, 20},
        {1, 28, 1, 28, 1, 23, 23, 23}, {1, 28, 1, 28, 1, 23, 23, 23},
    };
    ToneList tones{};
    std::size_t i = 0;
    for (const auto& row : kRows) {
        for (std::uint8_t tone : row) tones[i++] = tone;
    }
    return tones;
}

}  // namespace wb
