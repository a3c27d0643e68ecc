#include "sim/simulated_beacon.h"

#include <algorithm>
#include <array>
#include <utility>

namespace wb {
namespace {

constexpr std::uint8_t kEsc = 0x1B;
constexpr std::uint8_t kWriteKey = 0xAA;
// The extra bytes of an over-long image: erased EEPROM cells.
constexpr std::size_t kLongImageExtra = 44;
constexpr std::uint8_t kErasedByte = 0xFF;

struct FaultName {
    BeaconFault fault;
    std::string_view name;
};

constexpr std::array<FaultName, 9> kFaultNames{{
    {BeaconFault::None, "none"},
    {BeaconFault::Silent, "silent"},
    {BeaconFault::OtherProduct, "other-product"},
    {BeaconFault::IncompatibleFirmware, "incompatible"},
    {BeaconFault::ImageShort, "short-image"},
    {BeaconFault::ImageLong, "long-image"},
    {BeaconFault::EndlessReply, "endless"},
    {BeaconFault::SlowStart, "slow-start"},
    {BeaconFault::LineDrop, "line-drop"},
}};

// Arrival time of the n-th byte (1-based) of a transmission starting at
// startUs, without the rounding drift of a whole-microsecond byte time.
std::int64_t byteDueUs(std::int64_t startUs, std::int64_t n) {
    return startUs + n * kBitsPerByte * 1'000'000 / kBaudRate;
}

std::string defaultVersionText(const BeaconOptions& options) {
    switch (options.fault) {
    case BeaconFault::OtherProduct:
        return std::string(kOtherProductText);
    case BeaconFault::IncompatibleFirmware:
        return incompatibleVersionText();
    default:
        break;
    }
    if (!options.versionText.empty()) return options.versionText;
    return factoryVersionText(options.model);
}

}  // namespace

std::string_view beaconFaultName(BeaconFault fault) {
    for (const auto& entry : kFaultNames) {
        if (entry.fault == fault) return entry.name;
    }
    return "none";
}

std::optional<BeaconFault> parseBeaconFault(std::string_view name) {
    for (const auto& entry : kFaultNames) {
        if (entry.name == name) return entry.fault;
    }
    return std::nullopt;
}

std::string_view beaconRequestName(BeaconRequestKind kind) {
    switch (kind) {
    case BeaconRequestKind::Version:
        return "version request";
    case BeaconRequestKind::ReadImage:
        return "read request";
    case BeaconRequestKind::WriteImage:
        return "write request";
    case BeaconRequestKind::WriteDone:
        return "write complete";
    case BeaconRequestKind::WriteAbandoned:
        return "write abandoned";
    }
    return "request";
}

SimulatedBeacon::SimulatedBeacon(BeaconOptions options)
    : options_(std::move(options)), versionText_(defaultVersionText(options_)) {
    eeprom_ = options_.eeprom ? *options_.eeprom : factoryImage(options_.model);
}

bool SimulatedBeacon::deaf(std::int64_t atUs) const {
    if (options_.fault == BeaconFault::Silent || endless_) return true;
    return options_.fault == BeaconFault::SlowStart && firstHeardUs_ &&
           atUs < *firstHeardUs_ + options_.startDelayUs;
}

void SimulatedBeacon::receive(std::uint8_t byte, std::int64_t atUs) {
    if (lineDropped_) return;
    if (!firstHeardUs_) firstHeardUs_ = atUs;
    const std::int64_t previousUs = lastHeardUs_;
    lastHeardUs_ = atUs;

    if (parse_ == Parse::Image) {
        if (atUs - previousUs <= options_.writeAbandonUs) {
            receiveImageByte(byte, atUs);
            return;
        }
        endWrite(BeaconRequestKind::WriteAbandoned, previousUs);
    }

    switch (parse_) {
    case Parse::Esc:
        if (byte == 'V') {
            request(BeaconRequestKind::Version, atUs);
            return;
        }
        if (byte == 'U') {
            request(BeaconRequestKind::ReadImage, atUs);
            return;
        }
        if (byte == 'D') {
            parse_ = Parse::EscD;
            return;
        }
        break;
    case Parse::EscD:
        if (byte == kWriteKey) {
            parse_ = Parse::EscDAA;
            return;
        }
        break;
    case Parse::EscDAA:
        if (byte == 'U') {
            request(BeaconRequestKind::WriteImage, atUs);
            return;
        }
        break;
    case Parse::Idle:
    case Parse::Image:
        break;
    }
    // Anything out of sequence: wait for the next ESC.
    parse_ = byte == kEsc ? Parse::Esc : Parse::Idle;
}

void SimulatedBeacon::request(BeaconRequestKind kind, std::int64_t atUs) {
    parse_ = Parse::Idle;
    const bool answered = !deaf(atUs);
    requests_.push_back({kind, atUs, answered});
    if (!answered) return;

    switch (kind) {
    case BeaconRequestKind::Version:
        queueReply(versionText_, atUs, false);
        if (options_.fault == BeaconFault::EndlessReply) {
            endless_ = true;
            refillEndless();
        }
        break;
    case BeaconRequestKind::ReadImage: {
        std::string image(eeprom_.begin(), eeprom_.end());
        if (options_.fault == BeaconFault::ImageShort) image.pop_back();
        if (options_.fault == BeaconFault::ImageLong) {
            image.append(kLongImageExtra, static_cast<char>(kErasedByte));
        }
        queueReply(image, atUs, true);
        break;
    }
    case BeaconRequestKind::WriteImage:
        parse_ = Parse::Image;
        writePos_ = 0;
        writeLost_ = 0;
        writeFast_ = 0;
        eepromBusyUntil_.reset();
        break;
    case BeaconRequestKind::WriteDone:
    case BeaconRequestKind::WriteAbandoned:
        break;
    }
}

void SimulatedBeacon::receiveImageByte(std::uint8_t byte, std::int64_t atUs) {
    const bool busy = eepromBusyUntil_ && atUs < *eepromBusyUntil_;
    if (busy) {
        ++writeFast_;
        ++totalFast_;
    }
    if (busy && !options_.ptyMode) {
        ++writeLost_;
        ++totalLost_;
    } else {
        eeprom_[static_cast<std::size_t>(writePos_)] = byte;
        eepromBusyUntil_ = atUs + kEepromWriteUs;
    }
    ++writePos_;

    if (options_.fault == BeaconFault::LineDrop && ++imageBytesMoved_ >= options_.dropAfterBytes) {
        lineDropped_ = true;
        out_.clear();
        endWrite(BeaconRequestKind::WriteAbandoned, atUs);
        return;
    }
    if (writePos_ == static_cast<std::int32_t>(kImageSize)) {
        endWrite(BeaconRequestKind::WriteDone, atUs);
    }
}

void SimulatedBeacon::endWrite(BeaconRequestKind kind, std::int64_t atUs) {
    parse_ = Parse::Idle;
    requests_.push_back({kind, atUs, true, writeLost_, writeFast_});
}

void SimulatedBeacon::queueReply(std::string_view bytes, std::int64_t atUs, bool image) {
    const std::int64_t startUs = std::max(atUs + options_.replyLatencyUs, lineFreeUs_);
    std::int64_t n = 0;
    for (char c : bytes) {
        out_.push_back({byteDueUs(startUs, ++n), static_cast<std::uint8_t>(c), image});
    }
    if (n > 0) lineFreeUs_ = out_.back().dueUs;
}

void SimulatedBeacon::refillEndless() {
    if (!endless_ || lineDropped_ || !out_.empty()) return;
    // Printable junk, so that a status text quoting it stays readable.
    const std::uint8_t value = static_cast<std::uint8_t>(' ' + endlessNext_);
    endlessNext_ = static_cast<std::uint8_t>((endlessNext_ + 1) % 95);
    const std::int64_t dueUs = byteDueUs(lineFreeUs_, 1);
    out_.push_back({dueUs, value, false});
    lineFreeUs_ = dueUs;
}

std::optional<std::int64_t> SimulatedBeacon::nextByteTimeUs() const {
    if (out_.empty()) return std::nullopt;
    return out_.front().dueUs;
}

std::uint8_t SimulatedBeacon::takeByte() {
    if (out_.empty()) return 0;
    const OutByte byte = out_.front();
    out_.pop_front();
    if (byte.image && options_.fault == BeaconFault::LineDrop &&
        ++imageBytesMoved_ >= options_.dropAfterBytes) {
        lineDropped_ = true;
        out_.clear();
    }
    refillEndless();
    return byte.value;
}

void SimulatedBeacon::discardUntil(std::int64_t atUs) {
    if (endless_ && !out_.empty() && out_.front().dueUs <= atUs) {
        // Skip a long babble in one step rather than byte by byte.
        const std::int64_t behindUs = atUs - lineFreeUs_;
        if (behindUs > 0) {
            out_.clear();
            lineFreeUs_ = atUs;
            refillEndless();
            return;
        }
    }
    while (!out_.empty() && out_.front().dueUs <= atUs) {
        out_.pop_front();
    }
    refillEndless();
}

}  // namespace wb
