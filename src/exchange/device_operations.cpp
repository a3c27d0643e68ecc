#include "exchange/device_operations.h"

#include "exchange/device_exchange.h"
#include "serial/serial_texts.h"

namespace wb {

void beginOperation(BeaconDevice& device, SerialPort& port, ExchangeState firstState) {
    device.retryCount = 0;
    port.lastError.clear();
    startOperation(device, port, firstState);
}

void abandonOperation(BeaconDevice& device, SerialPort& port) {
    if (!exchangeBusy(device)) return;
    device.exchangeState = ExchangeState::Idle;
    port.close();
}

bool nextTickReadsLine(const BeaconDevice& device) {
    switch (device.exchangeState) {
    case ExchangeState::ReadVersion:
    case ExchangeState::VersionForRead:
    case ExchangeState::VersionForWrite:
    case ExchangeState::ReadingConfig:
    case ExchangeState::VerifyingConfig:
        return true;
    case ExchangeState::Idle:
    case ExchangeState::WritingConfig:
        return false;
    }
    return false;
}

bool foundNobody(const BeaconDevice& device, const SerialPort& port) {
    return device.outcome == Outcome::NotFound && port.lastError.empty();
}

bool readingImage(const BeaconDevice& device) { return device.exchangeState == ExchangeState::ReadingConfig; }

bool writingImage(const BeaconDevice& device) { return device.exchangeState == ExchangeState::WritingConfig; }

bool sendsImageNext(const BeaconDevice& device) {
    return writingImage(device) && device.images.writePosition < static_cast<std::int32_t>(kImageSize);
}

bool wholeImageSent(const BeaconDevice& device) {
    return device.exchangeState == ExchangeState::VerifyingConfig ||
           (writingImage(device) && !sendsImageNext(device));
}

bool endOnLostLink(BeaconDevice& device, SerialPort& port, const LinkGuard& link) {
    if (!link.lost() || (!exchangeBusy(device) && isSuccess(device.outcome))) return false;
    abandonOperation(device, port);
    setOutcome(device, Outcome::PortFailed, link.failure());
    return true;
}

bool lostLink(const BeaconDevice& device, const LinkGuard& link) {
    return link.lost() && device.outcome == Outcome::PortFailed && device.statusText == link.failure();
}

const std::string& portFailure(const SerialPort& port) { return port.lastError; }

std::string_view openFailureReason(const BeaconDevice& device, const SerialPort& port) {
    // A port failure's text is the port's; only "could not open" has a reason.
    if (device.outcome != Outcome::PortFailed || device.statusText != serial_text::couldNotOpen(port.portName)) {
        return {};
    }
    return serial_text::openFailureReason(port.openFailure);
}

}  // namespace wb
