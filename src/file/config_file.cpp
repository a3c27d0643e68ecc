#include "file/config_file.h"

#include <array>
#include <cstdint>

#include "file/file_save.h"
#include "file/file_texts.h"
#include "image/image_texts.h"
#include "image/model_dispatch.h"

namespace wb {
namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {'W', 'B', '1', '4'};
constexpr std::array<std::uint8_t, 4> kImageLength = {0x00, 0x01, 0x00, 0x00};  // 256, little-endian

bool hasLayout(DeviceModel model) { return findModel(model) != nullptr; }

// ASCII case folding only: the digits and every other byte compare exactly,
// and a 0 byte matches nothing in "WB14".
std::uint8_t foldCase(std::uint8_t byte) {
    return byte >= 'a' && byte <= 'z' ? static_cast<std::uint8_t>(byte - 'a' + 'A') : byte;
}

bool magicMatches(const std::array<std::uint8_t, 4>& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (foldCase(bytes[i]) != kMagic[i]) return false;
    }
    return true;
}

std::uint32_t littleEndian32(const std::array<std::uint8_t, 4>& bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

Outcome writeImage(FileSave& save, const ConfigImage& image) {
    // After a short write the others write nothing.
    save.write(kMagic.data(), kMagic.size());
    save.write(kImageLength.data(), kImageLength.size());
    save.write(image.data(), image.size());
    return save.finish();
}

}  // namespace

std::string_view fileOutcomeText(Outcome outcome) {
    switch (outcome) {
    case Outcome::FileSaved: return file_text::kFileSaved;
    case Outcome::FileLoaded: return file_text::kFileLoaded;
    case Outcome::FailedToOpenFile: return file_text::kFailedToOpenFile;
    case Outcome::InvalidFileFormat: return file_text::kInvalidFileFormat;
    case Outcome::FailedToReadData: return file_text::kFailedToReadData;
    case Outcome::FailedToWriteData: return file_text::kFailedToWriteData;
    default: return {};
    }
}

Outcome saveImageFile(const std::string& path, const ConfigImage& image, FileOps& files) {
    FileSave save(files);
    if (!save.open(path)) return Outcome::FailedToOpenFile;
    return writeImage(save, image);
}

Outcome saveNewImageFile(const std::string& path, const ConfigImage& image, FileOps& files, int* cause) {
    FileSave save(files);
    const Outcome outcome = save.openNew(path) ? writeImage(save, image) : Outcome::FailedToOpenFile;
    if (cause != nullptr) *cause = save.cause();
    return outcome;
}

Outcome loadImageFile(const std::string& path, ConfigImage& image, FileOps& files) {
    std::FILE* file = files.open(path, OpenMode::Read);
    if (file == nullptr) return Outcome::FailedToOpenFile;
    std::array<std::uint8_t, 4> magic{};
    std::array<std::uint8_t, 4> length{};
    const bool headerOk = files.read(file, magic.data(), magic.size()) == magic.size() && magicMatches(magic) &&
                          files.read(file, length.data(), length.size()) == length.size() &&
                          littleEndian32(length) == kImageSize;
    // Read into a scratch image, so that a short file changes nothing.
    ConfigImage read{};
    const bool imageOk = headerOk && files.read(file, read.data(), read.size()) == read.size();
    files.close(file);  // nothing was written: a failing close loses nothing
    if (!headerOk) return Outcome::InvalidFileFormat;
    if (!imageOk) return Outcome::FailedToReadData;
    image = read;
    return Outcome::FileLoaded;
}

Outcome imageFromFileBytes(std::string_view bytes, ConfigImage& image) {
    std::array<std::uint8_t, 4> magic{};
    std::array<std::uint8_t, 4> length{};
    const auto take = [&bytes](std::uint8_t* into, std::size_t count) {
        if (bytes.size() < count) return false;
        for (std::size_t i = 0; i < count; ++i) into[i] = static_cast<std::uint8_t>(bytes[i]);
        bytes.remove_prefix(count);
        return true;
    };
    const bool headerOk = take(magic.data(), magic.size()) && magicMatches(magic) &&
                          take(length.data(), length.size()) && littleEndian32(length) == kImageSize;
    if (!headerOk) return Outcome::InvalidFileFormat;
    ConfigImage read{};
    if (!take(read.data(), read.size())) return Outcome::FailedToReadData;
    image = read;
    return Outcome::FileLoaded;
}

void saveConfigFile(BeaconDevice& device, const std::string& path, const CodecContext& context, FileOps& files) {
    // Without a model there is no layout: writing the untouched outgoing
    // image would silently store zeros instead of the user's values.
    if (!hasLayout(device.config.model)) {
        setOutcome(device, Outcome::ReadVersionFirst, image_text::kReadVersionFirst);
        return;
    }
    // A cut text or tone list has been shown to the user by the notice;
    // the shortened image is saved all the same.
    encodeForModel(device, context);
    const Outcome saved = saveImageFile(path, device.images.outgoingImage, files);
    setOutcome(device, saved, fileOutcomeText(saved));
}

void loadConfigFile(BeaconDevice& device, const std::string& path, FileOps& files) {
    ConfigImage image{};
    const Outcome loaded = loadImageFile(path, image, files);
    if (loaded != Outcome::FileLoaded) {
        setOutcome(device, loaded, fileOutcomeText(loaded));
        return;
    }
    useLoadedImage(device, image);
}

void useLoadedImage(BeaconDevice& device, const ConfigImage& image) {
    device.images.incomingImage = image;
    device.images.receivedLength = static_cast<std::int32_t>(kImageSize);
    if (!hasLayout(device.config.model)) {
        // The image is kept, but nothing reached the record.
        setOutcome(device, Outcome::ReadVersionFirst, image_text::kReadVersionFirst);
        return;
    }
    decodeImage(device);
    setOutcome(device, Outcome::FileLoaded, file_text::kFileLoaded);
}

}  // namespace wb
