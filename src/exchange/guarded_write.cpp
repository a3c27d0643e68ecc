#include "exchange/guarded_write.h"

#include "exchange/device_exchange.h"
#include "exchange/device_operations.h"

namespace wb {

namespace {

// The identifications are left alone: a port that fails there is only a
// cable to try again, as a beacon that does not answer is.
bool imagePhase(const BeaconDevice& device) {
    return readingImage(device) || writingImage(device) || device.exchangeState == ExchangeState::VerifyingConfig;
}

}  // namespace

void GuardedWrite::beginRead(ExchangeState first) {
    beginOperation(reader_, port_, first);
    reading_ = true;
    cutOff_ = false;
}

bool GuardedWrite::reading() const { return reading_ && exchangeBusy(reader_); }

bool GuardedWrite::tick() {
    if (!reading()) reading_ = false;
    BeaconDevice& device = reading_ ? reader_ : writer_;
    const bool image = imagePhase(device);
    const bool refresh = pollTick(device, port_);
    if (link_ == nullptr || !image || !endOnLostLink(device, port_, *link_)) return refresh;
    if (&device == &writer_ && !reading_) cutOff_ = true;
    return true;
}

BackupRead GuardedWrite::backup(DeviceModel model) const {
    // A Read Config ends in ConfigRead only once the whole image was decoded.
    const Outcome outcome = reader_.outcome;
    if (outcome != Outcome::ConfigRead && outcome != Outcome::VersionRead) return BackupRead::NotRead;
    if (model != DeviceModel::None && reader_.config.model != model) return BackupRead::OtherModel;
    return BackupRead::Ready;
}

bool GuardedWrite::write(const CodecContext& codec) {
    reading_ = false;
    cutOff_ = false;
    return !prepareWrite(writer_, port_, codec);
}

}  // namespace wb
