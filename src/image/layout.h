#pragma once

#include <cstdint>

#include "config/config_image.h"
#include "config/device_config.h"

namespace wb {

// A model's image layout is a pair of pure functions over plain data; the
// dispatch (model_dispatch.h) checks lengths, reports and shows the notice.

// What encoding a record came to: the whole image, whether the Morse text or
// the tone list did not fit and was cut, and the Morse speed the record must
// take (the beacon cannot send slower than 3 WPM, and the form shows what
// was written).
struct EncodedImage {
    ConfigImage image{};
    bool textCut = false;
    bool tonesCut = false;
    std::int32_t morseSpeedWpm = 0;

    bool cut() const { return textCut || tonesCut; }
};

// Encodes `record`; `noLimit` lifts the 144-148 MHz TX limit.
using LayoutEncode = EncodedImage (*)(const DeviceConfig& record, bool noLimit);
// Decodes a complete image into the members the layout stores; the other
// members of `record` keep their values.
using LayoutDecode = void (*)(const ConfigImage& image, DeviceConfig& record);

}  // namespace wb
