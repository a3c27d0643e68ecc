#include "exchange/device_exchange.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "exchange/exchange_texts.h"
#include "exchange/protocol.h"
#include "image/model_dispatch.h"

namespace wb {
namespace {

template <std::size_t N>
void sendRequest(SerialPort& port, const std::array<std::uint8_t, N>& bytes, std::uint32_t pauseMs) {
    // Results are not examined: a failed send shows later as a missing reply.
    port.write(bytes.data(), static_cast<std::int32_t>(bytes.size()), pauseMs);
}

// Reads one byte at a time until a read yields nothing, or until the cap is
// reached; what is left on the line waits for the next tick.
template <typename OnByte>
void drain(SerialPort& port, OnByte onByte) {
    for (std::int32_t n = 0; n < kMaxBytesPerDrain; ++n) {
        std::uint8_t byte = 0;
        if (port.read(&byte, 1) != 1) return;
        onByte(byte);
    }
}

bool isCollectingVersion(ExchangeState state) {
    return state == ExchangeState::ReadVersion || state == ExchangeState::VersionForRead ||
           state == ExchangeState::VersionForWrite;
}

bool collectVersion(BeaconDevice& device, SerialPort& port, ModelTable models) {
    drain(port, [&device](std::uint8_t byte) {
        if (device.versionReply.size() < kMaxVersionReplyBytes) {
            device.versionReply.push_back(static_cast<char>(byte));
        }
    });
    if (device.tickCount <= kLastGatheringTick) return false;

    port.close();
    const std::string& reply = device.versionReply;
    const auto match = matchVersionReply(reply, models);
    if (match && match->verdict == VersionVerdict::Incompatible) {
        setOutcome(device, Outcome::Incompatible, exchange_text::incompatibleVersion(reply));
        device.exchangeState = ExchangeState::Idle;
        return true;
    }
    if (!match) {
        const bool attemptsLeft = device.retryCount < kMaxAttempts - 1;
        if (device.retryCount < std::numeric_limits<std::int32_t>::max()) ++device.retryCount;
        if (attemptsLeft) {
            startOperation(device, port, device.exchangeState);
        } else {
            setOutcome(device, Outcome::NotFound, exchange_text::notFound(reply));
            device.exchangeState = ExchangeState::Idle;
        }
        return true;
    }
    const DeviceModel identified = match->model->code;

    device.config.model = identified;
    setOutcome(device, Outcome::VersionRead, exchange_text::versionRead(reply));
    device.tickCount = 0;
    switch (device.exchangeState) {
        case ExchangeState::VersionForRead:
            setOutcome(device, Outcome::None, exchange_text::kReadingConfig);
            device.exchangeState = ExchangeState::ReadingConfig;
            device.images.receivedLength = 0;
            port.open();  // a failed reopen shows as "Config not read "
            sendRequest(port, kReadRequest, kRequestPauseMs);
            break;
        case ExchangeState::VersionForWrite:
            // An image laid out for the other model would put every setting
            // in the wrong place on this beacon, so nothing is sent.
            if (identified != device.images.outgoingModel) {
                setOutcome(device, Outcome::ModelMismatch, exchange_text::kModelMismatch);
                device.exchangeState = ExchangeState::Idle;
                break;
            }
            device.exchangeState = ExchangeState::WritingConfig;
            setOutcome(device, Outcome::None, exchange_text::kWritingConfig);
            port.open();
            sendRequest(port, kWriteRequest, kRequestPauseMs);
            device.images.writePosition = 0;
            break;
        default:  // ReadVersion: done, the port stays closed
            device.exchangeState = ExchangeState::Idle;
            break;
    }
    return true;
}

bool sendNextChunk(BeaconDevice& device, SerialPort& port) {
    ImageStore& images = device.images;
    device.statusText += exchange_text::kChunkStar;
    constexpr auto imageSize = static_cast<std::int32_t>(kImageSize);
    if (images.writePosition >= imageSize || images.writePosition < 0) {
        sendRequest(port, kReadRequest, kRequestPauseMs);
        images.receivedLength = 0;
        device.statusText = exchange_text::kVerifyingConfig;
        device.exchangeState = ExchangeState::VerifyingConfig;
        // tickCount runs on, so the very next tick drains and verifies.
        return false;
    }
    const std::int32_t count = std::min(kChunkSize, imageSize - images.writePosition);
    port.write(images.outgoingImage.data() + images.writePosition, count, kChunkPauseMs);
    images.writePosition += kChunkSize;
    return false;
}

bool collectImage(BeaconDevice& device, SerialPort& port, ModelTable models) {
    drain(port, [&device](std::uint8_t byte) { storeReceivedByte(device.images, byte); });
    if (device.tickCount <= kLastGatheringTick) return false;

    if (device.images.receivedLength == 0) {
        setOutcome(device, Outcome::ConfigNotRead, exchange_text::kConfigNotRead);
    } else if (device.exchangeState == ExchangeState::ReadingConfig) {
        decodeImage(device, models);
    } else {
        verifyReadBack(device, models);
    }
    device.exchangeState = ExchangeState::Idle;
    port.close();
    return true;
}

}  // namespace

void startOperation(BeaconDevice& device, SerialPort& port, ExchangeState firstState) {
    if (!port.open()) {
        // Only the status and its outcome change: an idle machine stays idle.
        setOutcome(device, Outcome::PortFailed, port.lastError);
        return;
    }
    device.exchangeState = firstState;
    device.tickCount = 0;
    device.versionReply.clear();
    setOutcome(device, Outcome::None, exchange_text::kReadingVersion);
    sendRequest(port, kVersionRequest, kVersionRequestPauseMs);
}

bool pollTick(BeaconDevice& device, SerialPort& port, ModelTable models) {
    // The count keeps rising while idle; stop short of overflow.
    if (device.tickCount < std::numeric_limits<std::int32_t>::max()) ++device.tickCount;

    const ExchangeState state = device.exchangeState;
    if (isCollectingVersion(state)) return collectVersion(device, port, models);
    switch (state) {
        case ExchangeState::WritingConfig:
            return sendNextChunk(device, port);
        case ExchangeState::ReadingConfig:
        case ExchangeState::VerifyingConfig:
            return collectImage(device, port, models);
        default:
            return false;  // Idle, and any value the machine never assigns
    }
}

bool exchangeBusy(const BeaconDevice& device) {
    switch (device.exchangeState) {
        case ExchangeState::ReadVersion:
        case ExchangeState::VersionForRead:
        case ExchangeState::VersionForWrite:
        case ExchangeState::ReadingConfig:
        case ExchangeState::WritingConfig:
        case ExchangeState::VerifyingConfig:
            return true;
        default:
            return false;
    }
}

bool prepareWrite(BeaconDevice& device, SerialPort& port, const CodecContext& context, ModelTable models) {
    device.retryCount = 0;
    if (encodeForModel(device, context, models) == EncodeResult::Encoded) {
        startOperation(device, port, ExchangeState::VersionForWrite);
        return false;
    }
    // Cut, or no model yet: show the user what the image holds instead.
    device.images.incomingImage = device.images.outgoingImage;
    device.images.receivedLength = static_cast<std::int32_t>(kImageSize);
    decodeImage(device, models);
    return true;
}

}  // namespace wb
