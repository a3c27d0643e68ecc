#include "exchange/device_operations.h"

#include "exchange/device_exchange.h"

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

}  // namespace wb
