#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "config/beacon_device.h"
#include "config/codec_context.h"

namespace wb::test {

// Runs an encoder on a copy of `config` and keeps what came out: the image,
// the record afterwards, the flag and how often the notice was shown.
struct EncodeRun {
    ConfigImage image{};
    DeviceConfig config;
    bool truncated = false;
    int notices = 0;
};

template <typename Encoder>
EncodeRun runEncoder(Encoder encoder, const DeviceConfig& config, bool noLimit = false) {
    BeaconDevice device;
    device.config = config;
    EncodeRun run;
    CodecContext context{noLimit, [&run] { ++run.notices; }};
    run.truncated = encoder(device, context);
    run.image = device.images.outgoingImage;
    run.config = device.config;
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

inline std::vector<std::uint8_t> slice(const ConfigImage& image, std::size_t from,
                                       std::size_t count) {
    return {image.begin() + static_cast<std::ptrdiff_t>(from),
            image.begin() + static_cast<std::ptrdiff_t>(from + count)};
}

inline std::vector<std::uint8_t> bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

inline ToneList toneRun(std::size_t count, std::uint8_t value) {
    ToneList tones{};
    for (std::size_t i = 0; i < count && i < tones.size(); ++i) tones[i] = value;
    return tones;
}

}  // namespace wb::test
