#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "config/device_config.h"
#include "config/image_store.h"
#include "config/outcome.h"

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
// record, the exchange's variables, the images, the status text and the
// outcome it stands for.
struct BeaconDevice {
    DeviceConfig config;

    std::int32_t retryCount = 0;
    ExchangeState exchangeState = ExchangeState::Idle;
    std::int32_t tickCount = 0;
    std::string versionReply;

    ImageStore images;

    StatusText statusText;
    Outcome outcome = Outcome::None;
};

// Ends an operation (or one step of it): the outcome and its text together.
inline void setOutcome(BeaconDevice& device, Outcome outcome, std::string_view text) {
    device.outcome = outcome;
    device.statusText = text;
}

}  // namespace wb
