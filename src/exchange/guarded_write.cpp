#include "exchange/guarded_write.h"

#include "exchange/device_exchange.h"
#include "exchange/device_operations.h"

namespace wb {

void GuardedWrite::beginRead(ExchangeState first) {
    beginOperation(reader_, port_, first);
    reading_ = true;
}

bool GuardedWrite::reading() const { return reading_ && exchangeBusy(reader_); }

bool GuardedWrite::tick() {
    if (reading()) return pollTick(reader_, port_);
    reading_ = false;
    return pollTick(writer_, port_);
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
    return !prepareWrite(writer_, port_, codec);
}

}  // namespace wb
