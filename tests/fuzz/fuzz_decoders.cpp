// Hostile images, lengths and models through decode and verification, and
// records built from raw bytes through both encoders. Any crash, sanitizer
// report or broken invariant (trap) is a finding.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>

#include "config/beacon_device.h"
#include "image/model_dispatch.h"
#include "image/model_table.h"

namespace {

using namespace wb;

void require(bool condition) {
    if (!condition) std::abort();
}

DeviceModel pickModel(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0: return DeviceModel::None;
        case 1: return kBasicModel;
        case 2: return kTarselModel;
        default: return static_cast<DeviceModel>(in.ConsumeIntegral<std::int32_t>());
    }
}

std::int32_t pickLength(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 3)) {
        case 0:
        case 1: return 256;
        case 2: return in.ConsumeIntegralInRange(250, 262);
        default: return in.ConsumeIntegral<std::int32_t>();
    }
}

ConfigImage takeImage(FuzzedDataProvider& in) {
    ConfigImage image{};
    const auto raw = in.ConsumeBytes<std::uint8_t>(kImageSize);
    std::copy(raw.begin(), raw.end(), image.begin());
    return image;
}

// Any bit pattern, so that NaN, infinities and huge values all occur.
float anyFloat(FuzzedDataProvider& in) {
    return std::bit_cast<float>(in.ConsumeIntegral<std::uint32_t>());
}

DeviceConfig takeRecord(FuzzedDataProvider& in) {
    DeviceConfig c;
    c.morseText = in.ConsumeRandomLengthString(300);
    c.morseSpeedWpm = in.ConsumeIntegral<std::int32_t>();
    c.morseTone = in.ConsumeIntegral<std::int32_t>();
    c.toneSpeedMs = in.ConsumeIntegral<std::int32_t>();
    c.tonesDurationSec = in.ConsumeIntegral<std::int32_t>();
    c.preTonesDelaySec = in.ConsumeIntegral<std::int32_t>();
    c.loopTimeSec = in.ConsumeIntegral<std::int32_t>();
    c.txFrequencyMHz = anyFloat(in);
    c.rxFrequencyMHz = anyFloat(in);
    c.calibrationPercent = anyFloat(in);
    c.toneCount = in.ConsumeIntegral<std::int32_t>();
    c.ledEnabled = in.ConsumeIntegral<std::uint8_t>();
    c.randomTones = in.ConsumeIntegral<std::uint8_t>();
    c.randomSpeed = in.ConsumeIntegral<std::uint8_t>();
    c.randomMorse = in.ConsumeIntegral<std::uint8_t>();
    c.autoStart = in.ConsumeIntegral<std::uint8_t>();
    c.disableRx = in.ConsumeIntegral<std::uint8_t>();
    c.unlockCode = in.ConsumeIntegral<std::int32_t>();
    c.initialDelayMin = in.ConsumeIntegral<std::int32_t>();
    c.totalRuntimeMin = in.ConsumeIntegral<std::int32_t>();
    const auto tones = in.ConsumeBytes<std::uint8_t>(kToneCapacity);
    std::copy(tones.begin(), tones.end(), c.tones.begin());
    return c;
}

bool holdsZero(const DeviceConfig& c) {
    const auto count = static_cast<std::size_t>(std::clamp(c.toneCount, 0, 200));
    return c.morseText.find('\0') != std::string::npos ||
           std::find(c.tones.begin(), c.tones.begin() + static_cast<std::ptrdiff_t>(count),
                     0) != c.tones.begin() + static_cast<std::ptrdiff_t>(count);
}

void decodeAndVerify(FuzzedDataProvider& in) {
    BeaconDevice device;
    device.config.model = pickModel(in);
    device.images.receivedLength = pickLength(in);
    device.images.incomingImage = takeImage(in);
    device.images.outgoingImage =
        in.ConsumeBool() ? device.images.incomingImage : takeImage(in);
    BeaconDevice copy = device;
    decodeImage(device);
    require(!device.statusText.empty());
    require(device.config.toneCount >= 0 && device.config.toneCount <= 200);
    require(device.images.incomingImage == copy.images.incomingImage);
    verifyReadBack(copy);
    require(!copy.statusText.empty());
}

// Encode, decode what was written, encode again: same image, no second
// notice. Lists with a 0 inside end early on decode, so only the first
// encode is checked for them.
void encodeRoundTrip(const DeviceConfig& record, bool noLimit, const ModelInfo& row) {
    BeaconDevice device;
    device.config = record;
    device.config.model = row.code;
    int notices = 0;
    const CodecContext context{noLimit, [&notices] { ++notices; }};
    const bool truncated = encodeForModel(device, context) == EncodeResult::Truncated;
    require(notices == (truncated ? 1 : 0));
    require(device.config.morseSpeedWpm >= 3);

    const ConfigImage first = device.images.outgoingImage;
    device.images.incomingImage = first;
    device.images.receivedLength = 256;
    decodeImage(device);
    notices = 0;
    require(encodeForModel(device, context) == EncodeResult::Encoded);
    require(notices == 0);
    if (!holdsZero(record)) require(device.images.outgoingImage == first);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    decodeAndVerify(in);
    const DeviceConfig record = takeRecord(in);
    for (bool noLimit : {false, true}) {
        for (const ModelInfo& row : kModels) encodeRoundTrip(record, noLimit, row);
    }
    return 0;
}
