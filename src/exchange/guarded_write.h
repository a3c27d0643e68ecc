#pragma once

#include "config/beacon_device.h"
#include "config/codec_context.h"
#include "config/config_image.h"
#include "config/device_model.h"
#include "exchange/link_guard.h"
#include "serial/serial_port.h"

namespace wb {

// What the read before a write came to.
enum class BackupRead {
    Ready,       // the read ended well: Read Config with the whole image
                 // (Read Version alone: the model), of the record's model
    NotRead,     // it did not: the reader's outcome and status text say why
    OtherModel,  // a beacon of another model than the record's: the image
                 // would put every setting in the wrong place, so no write
};

// A write that reads the beacon first, so that its image can be kept as a
// backup and its model checked before a byte of the record goes out. The
// same 100 ms ticks drive both; between them the front end keeps the backup
// its own way and words what went wrong.
//
// The read goes to `reader` and the write from `writer`: one device when
// the read may set the record (it is edited afterwards), two when the
// record must stay as the user left it.
class GuardedWrite {
public:
    GuardedWrite(BeaconDevice& reader, BeaconDevice& writer, SerialPort& port)
        : reader_(reader), writer_(writer), port_(port) {}

    // Reads the beacon afresh. A port that does not open ends the read at
    // once (NotRead, the port's text on the reader).
    void beginRead(ExchangeState first = ExchangeState::VersionForRead);
    // True while the read is under way.
    bool reading() const;
    // One tick of the read or, after it, of the write.
    bool tick();
    // Forgets a read under way; the port is left as it is, for the next
    // operation to take over.
    void reset() { reading_ = false; }

    // The read that has just ended on the reader, for a record of `model`.
    // DeviceModel::None checks no model here: the record's model is not
    // known yet, and the write's own identification will check it.
    BackupRead backup(DeviceModel model) const;
    const ConfigImage& backupImage() const { return reader_.images.incomingImage; }

    // Starts the write of the writer's record. False when nothing was
    // started: the record cannot be stored as it is (a text or tones cut,
    // or no model), and the writer now holds what its image would store.
    bool write(const CodecContext& codec);

    // The port sits on `link`: an image read or write whose port fails
    // under it ends at once, with the port's first failure (see
    // endOnLostLink).
    void watch(const LinkGuard& link) { link_ = &link; }
    // The last write ended with its port lost while the image went out or
    // came back: part of the image may be on the beacon, or all of it
    // unverified, so it has no checksum to report.
    bool cutOffMidWrite() const { return cutOff_; }

    // The device whose exchange runs now: the reader during the read.
    const BeaconDevice& active() const { return reading() ? reader_ : writer_; }

private:
    BeaconDevice& reader_;
    BeaconDevice& writer_;
    SerialPort& port_;
    const LinkGuard* link_ = nullptr;
    bool reading_ = false;
    bool cutOff_ = false;
};

}  // namespace wb
