#pragma once

#include <cstdint>
#include <string>

#include "config/device_config.h"
#include "config/image_store.h"

namespace wb {

// Where the device exchange stands. 4 is never used; a tick in any state
// other than 1-3 and 5-7 does what a tick in Idle does.
enum class ExchangeState : std::int32_t {
    Idle = 0,
    ReadVersion = 1,
    VersionForRead = 2,
    VersionForWrite = 3,
    ReadingConfig = 5,
    WritingConfig = 6,
    VerifyingConfig = 7,
};

// The one line of text through which every subsystem tells the user what
// happened. Single-byte characters.
using StatusText = std::string;

// Everything the program knows about the beacon, in one plain object: the
// record, the exchange's variables, the images and the status text.
struct BeaconDevice {
    DeviceConfig config;

    std::int32_t retryCount = 0;
    ExchangeState exchangeState = ExchangeState::Idle;
    std::int32_t tickCount = 0;
    std::string versionReply;

    ImageStore images;

    StatusText statusText;
};

}  // namespace wb
