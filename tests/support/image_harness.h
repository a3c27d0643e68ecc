#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "config/beacon_device.h"
#include "config/codec_context.h"
#include "image/model_dispatch.h"

namespace wb::test {

// Runs the dispatch's encode on a copy of `config` and keeps what came out:
// the image, the record afterwards, the result and how often the notice was
// shown.
struct EncodeRun {
    ConfigImage image{};
    DeviceConfig config;
    EncodeResult result = EncodeResult::NotEncoded;
    int notices = 0;
};

inline EncodeRun runEncode(const DeviceConfig& config, bool noLimit = false, ModelTable models = kModels) {
    EncodeRun run;
    run.config = config;
    const CodecContext context{noLimit, [&run] { ++run.notices; }};
    run.result = encodeRecord(run.config, run.image, context, models);
    return run;
}

// A complete received image, ready to decode into `start`.
inline BeaconDevice deviceWithImage(const ConfigImage& image, const DeviceConfig& start = {}) {
    BeaconDevice device;
    device.config = start;
    device.images.incomingImage = image;
    device.images.receivedLength = static_cast<std::int32_t>(kImageSize);
    return device;
}

inline ConfigImage filledImage(std::uint8_t value) {
    ConfigImage image;
    image.fill(value);
    return image;
}

inline std::vector<std::uint8_t> slice(const ConfigImage& image, std::size_t from, std::size_t count) {
    return {image.begin() + static_cast<std::ptrdiff_t>(from),
            image.begin() + static_cast<std::ptrdiff_t>(from + count)};
}

inline ToneList toneRun(std::size_t count, std::uint8_t value) {
    ToneList tones{};
    for (std::size_t i = 0; i < count && i < tones.size(); ++i) tones[i] = value;
    return tones;
}

}  // namespace wb::test
