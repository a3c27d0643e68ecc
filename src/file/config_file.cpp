#include "file/config_file.h"

#include <array>
#include <cstdint>

#include "file/file_texts.h"
#include "image/image_texts.h"
#include "image/model_dispatch.h"

namespace wb {
namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {'W', 'B', '1', '4'};
constexpr std::array<std::uint8_t, 4> kImageLength = {0x00, 0x01, 0x00, 0x00};  // 256, little-endian

bool hasLayout(DeviceModel model) {
    return model == DeviceModel::Basic || model == DeviceModel::Tarsel;
}

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

// Every write, the flush and the close of the temporary file; true when all
// succeeded. The file is closed in any case.
bool writeWholeFile(FileOps& files, std::FILE* file, const ConfigImage& image) {
    bool ok = files.write(file, kMagic.data(), kMagic.size()) == kMagic.size() &&
              files.write(file, kImageLength.data(), kImageLength.size()) == kImageLength.size() &&
              files.write(file, image.data(), image.size()) == image.size() && files.flush(file);
    // A full disk often shows only here, when the last buffer goes out.
    if (!files.close(file)) ok = false;
    return ok;
}

enum class WriteResult { NotOpened, Failed, Written };

// Writes under a temporary name and puts the file in place only when every
// write and the close succeeded.
WriteResult writeImage(const std::string& path, const ConfigImage& image, FileOps& files) {
    const std::string temporary = temporarySavePath(path);
    std::FILE* file = files.open(temporary, OpenMode::Write);
    if (file == nullptr) return WriteResult::NotOpened;
    if (!writeWholeFile(files, file, image) || !files.replace(temporary, path)) {
        files.remove(temporary);
        return WriteResult::Failed;
    }
    return WriteResult::Written;
}

}  // namespace

std::string temporarySavePath(const std::string& path) {
    return path + ".tmp";
}

void saveConfigFile(BeaconDevice& device, const std::string& path, const CodecContext& context, FileOps& files) {
    // Without a model there is no layout: writing the untouched outgoing
    // image would silently store zeros instead of the user's values.
    if (!hasLayout(device.config.model)) {
        setOutcome(device, Outcome::ReadVersionFirst, kReadVersionFirstText);
        return;
    }
    // A cut text or tone list has been shown to the user by the notice;
    // the shortened image is saved all the same.
    encodeForModel(device, context);

    switch (writeImage(path, device.images.outgoingImage, files)) {
        case WriteResult::NotOpened:
            setOutcome(device, Outcome::FailedToOpenFile, kFailedToOpenFileText);
            return;
        case WriteResult::Failed:
            setOutcome(device, Outcome::FailedToWriteData, kFailedToWriteDataText);
            return;
        case WriteResult::Written:
            setOutcome(device, Outcome::FileSaved, kFileSavedText);
            return;
    }
}

bool writeImageFile(const std::string& path, const ConfigImage& image, FileOps& files) {
    return writeImage(path, image, files) == WriteResult::Written;
}

void loadConfigFile(BeaconDevice& device, const std::string& path, FileOps& files) {
    std::FILE* file = files.open(path, OpenMode::Read);
    if (file == nullptr) {
        setOutcome(device, Outcome::FailedToOpenFile, kFailedToOpenFileText);
        return;
    }
    std::array<std::uint8_t, 4> magic{};
    std::array<std::uint8_t, 4> length{};
    const bool headerOk = files.read(file, magic.data(), magic.size()) == magic.size() && magicMatches(magic) &&
                          files.read(file, length.data(), length.size()) == length.size() &&
                          littleEndian32(length) == kImageSize;
    // Read into a scratch image, so that a short file changes nothing.
    ConfigImage image{};
    const bool imageOk = headerOk && files.read(file, image.data(), image.size()) == image.size();
    files.close(file);  // nothing was written: a failing close loses nothing
    if (!headerOk) {
        setOutcome(device, Outcome::InvalidFileFormat, kInvalidFileFormatText);
        return;
    }
    if (!imageOk) {
        setOutcome(device, Outcome::FailedToReadData, kFailedToReadDataText);
        return;
    }

    device.images.incomingImage = image;
    device.images.receivedLength = static_cast<std::int32_t>(kImageSize);
    if (!hasLayout(device.config.model)) {
        // The image is kept, but nothing reached the record.
        setOutcome(device, Outcome::ReadVersionFirst, kReadVersionFirstText);
        return;
    }
    decodeImage(device);
    setOutcome(device, Outcome::FileLoaded, kFileLoadedText);
}

}  // namespace wb
