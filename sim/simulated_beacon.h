#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/config_image.h"
#include "config/device_model.h"
#include "image/model_table.h"
#include "sim/beacon_peer.h"

namespace wb {

// Ways a beacon (or what sits on the port instead of one) misbehaves.
enum class BeaconFault {
    None,
    Silent,                // nothing on the line at all
    OtherProduct,          // answers as another product: "Sparrow v3.0\r\n"
    IncompatibleFirmware,  // the incompatible firmware the model table names
    ImageShort,            // answers a read request with 255 bytes
    ImageLong,             // ... with 300 bytes: the image and 44 bytes 0xFF
    EndlessReply,          // after the version text it never stops sending
    SlowStart,             // deaf for startDelayUs after the first byte it hears
    LineDrop,              // the cable goes after dropAfterBytes of an image
};

std::string_view beaconFaultName(BeaconFault fault);
// "none", "silent", "other-product", "incompatible", "short-image",
// "long-image", "endless", "slow-start", "line-drop".
std::optional<BeaconFault> parseBeaconFault(std::string_view name);

inline constexpr std::string_view kOtherProductText = "Sparrow v3.0\r\n";

// 2400 baud, 10 bits a byte (start, 8 data, stop).
inline constexpr std::int64_t kBaudRate = 2400;
inline constexpr std::int64_t kBitsPerByte = 10;
// Time one byte takes on the line, rounded down: 4166 us.
inline constexpr std::int64_t kByteTimeUs = kBitsPerByte * 1'000'000 / kBaudRate;
// The EEPROM is busy this long after storing a byte; bytes arriving while it
// is busy are lost.
inline constexpr std::int64_t kEepromWriteUs = 15'000;

struct BeaconOptions {
    DeviceModel model = kBasicModel;
    // Empty: the model's own text (or the fault's text).
    std::string versionText;
    // Empty: the factory-default image of the model.
    std::optional<ConfigImage> eeprom;
    BeaconFault fault = BeaconFault::None;
    // SlowStart: requests completed earlier than this after the first byte
    // heard are ignored. Half a second: the first identification attempt of
    // the exchange (seven ticks of at least 103 ms) goes unanswered, the
    // second is answered, on the virtual clock and on real time alike.
    std::int64_t startDelayUs = 500'000;
    // LineDrop: the line goes after this many image bytes, sent or received.
    std::int32_t dropAfterBytes = 100;
    // Time from the end of a request to the start of its reply.
    std::int64_t replyLatencyUs = 0;
    // A write that stalls this long is given up (the beacon listens for
    // requests again).
    std::int64_t writeAbandonUs = 2'000'000;
    // On a pty the reader can be delayed by a loaded machine, so arrival
    // times say little about the host's pacing: fast bytes are counted and
    // logged, but stored.
    bool ptyMode = false;
};

enum class BeaconRequestKind {
    Version,     // ESC 'V'
    ReadImage,   // ESC 'U'
    WriteImage,  // ESC 'D' 0xAA 'U'
    WriteDone,   // the 256th image byte of a write
    WriteAbandoned,
};

std::string_view beaconRequestName(BeaconRequestKind kind);

struct BeaconRequest {
    BeaconRequestKind kind;
    std::int64_t atUs;
    bool answered;  // false when a fault (silent, slow start, ...) ignored it
    // WriteDone / WriteAbandoned: image bytes lost to EEPROM pacing, and
    // bytes that came less than 15 ms after the last stored one.
    std::int32_t lostBytes = 0;
    std::int32_t fastBytes = 0;
};

// One beacon as seen from its serial line. It is fed the host's bytes with
// their arrival times and offers its reply bytes with the times they have
// fully arrived at the host. It keeps no clock of its own, so the same code
// runs on a virtual clock in tests and on real time behind a pty.
class SimulatedBeacon final : public BeaconPeer {
public:
    explicit SimulatedBeacon(BeaconOptions options = {});

    // A byte from the host, complete at atUs (times never go backwards).
    void receive(std::uint8_t byte, std::int64_t atUs) override;

    // When the next reply byte will have arrived at the host; empty when
    // nothing is queued.
    std::optional<std::int64_t> nextByteTimeUs() const override;
    // Takes the next reply byte (call only when nextByteTimeUs has a value).
    std::uint8_t takeByte() override;
    // Drops every reply byte due at or before atUs: bytes that reached a
    // closed port.
    void discardUntil(std::int64_t atUs) override;

    // The cable is gone (LineDrop): nothing more goes either way.
    bool lineDropped() const override { return lineDropped_; }
    // When the last queued reply byte will have arrived.
    std::int64_t replyEndUs() const { return lineFreeUs_; }

    const ConfigImage& eeprom() const { return eeprom_; }
    const BeaconOptions& options() const { return options_; }
    const std::string& versionText() const { return versionText_; }
    const std::vector<BeaconRequest>& requests() const { return requests_; }
    // Image bytes taken by the write under way; 0 when none is.
    std::int32_t writeProgress() const { return parse_ == Parse::Image ? writePos_ : 0; }
    // Totals over all writes.
    std::int32_t lostBytes() const { return totalLost_; }
    std::int32_t fastBytes() const { return totalFast_; }

private:
    enum class Parse { Idle, Esc, EscD, EscDAA, Image };

    struct OutByte {
        std::int64_t dueUs;
        std::uint8_t value;
        bool image;
    };

    void request(BeaconRequestKind kind, std::int64_t atUs);
    void receiveImageByte(std::uint8_t byte, std::int64_t atUs);
    void endWrite(BeaconRequestKind kind, std::int64_t atUs);
    void queueReply(std::string_view bytes, std::int64_t atUs, bool image);
    void refillEndless();
    bool deaf(std::int64_t atUs) const;

    BeaconOptions options_;
    std::string versionText_;
    ConfigImage eeprom_{};

    Parse parse_ = Parse::Idle;
    std::optional<std::int64_t> firstHeardUs_;
    std::int64_t lastHeardUs_ = 0;
    std::int32_t writePos_ = 0;
    std::optional<std::int64_t> eepromBusyUntil_;
    std::int32_t writeLost_ = 0;
    std::int32_t writeFast_ = 0;
    std::int32_t totalLost_ = 0;
    std::int32_t totalFast_ = 0;
    std::int32_t imageBytesMoved_ = 0;

    std::deque<OutByte> out_;
    std::int64_t lineFreeUs_ = 0;  // when the last queued byte ends
    bool endless_ = false;
    std::uint8_t endlessNext_ = 0;
    bool lineDropped_ = false;

    std::vector<BeaconRequest> requests_;
};

// The image a beacon of this model leaves the factory with: the default
// record encoded with the model's layout (the first model's for a code the
// table has no row for).
ConfigImage factoryImage(DeviceModel model);
ConfigImage factoryImage(const ModelInfo& model);
// What a beacon of this model answers the version request with, as it
// leaves the factory (the first model's for any other code).
std::string factoryVersionText(DeviceModel model);
// The answer of the incompatible firmware the model table names.
std::string incompatibleVersionText();

}  // namespace wb
