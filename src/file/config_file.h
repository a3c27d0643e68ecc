#pragma once

#include <string>
#include <string_view>

#include "config/beacon_device.h"
#include "config/codec_context.h"
#include "file/file_ops.h"

namespace wb {

// A .wb1 file: "WB14", 256 as a little-endian 32-bit number, the image.
inline constexpr std::size_t kConfigFileSize = 264;

// The status text of a Save or Load outcome.
std::string_view fileOutcomeText(Outcome outcome);

// Writes one image as a .wb1 file through FileSave (file/file_save.h), the
// one way every file is written. Returns FileSaved, FailedToOpenFile or
// FailedToWriteData.
Outcome saveImageFile(const std::string& path, const ConfigImage& image, FileOps& files);
// The same for a backup, which never replaces a file: a name taken by the
// time the file is put in place fails the save, `*cause` EEXIST.
Outcome saveNewImageFile(const std::string& path, const ConfigImage& image, FileOps& files, int* cause = nullptr);
// Reads the image of a .wb1 file into `image`, which changes only when the
// whole image was read. Returns FileLoaded, FailedToOpenFile,
// InvalidFileFormat or FailedToReadData.
Outcome loadImageFile(const std::string& path, ConfigImage& image, FileOps& files);
// The same for a file's bytes read already (by a reader that bounds what
// it takes): FileLoaded, InvalidFileFormat or FailedToReadData.
Outcome imageFromFileBytes(std::string_view bytes, ConfigImage& image);

// Encodes the record with the detected model's layout and saves the
// outgoing image.
void saveConfigFile(BeaconDevice& device, const std::string& path, const CodecContext& context, FileOps& files);
// Reads a file's image and decodes it with the detected model's layout.
// A load that fails changes nothing but the status text.
void loadConfigFile(BeaconDevice& device, const std::string& path, FileOps& files);
// The second half of a load, for an image read earlier with loadImageFile.
void useLoadedImage(BeaconDevice& device, const ConfigImage& image);

inline Outcome saveImageFile(const std::string& path, const ConfigImage& image) {
    return saveImageFile(path, image, systemFileOps());
}
inline Outcome saveNewImageFile(const std::string& path, const ConfigImage& image, int* cause = nullptr) {
    return saveNewImageFile(path, image, systemFileOps(), cause);
}
inline Outcome loadImageFile(const std::string& path, ConfigImage& image) {
    return loadImageFile(path, image, systemFileOps());
}
inline void saveConfigFile(BeaconDevice& device, const std::string& path, const CodecContext& context) {
    saveConfigFile(device, path, context, systemFileOps());
}
inline void loadConfigFile(BeaconDevice& device, const std::string& path) {
    loadConfigFile(device, path, systemFileOps());
}

}  // namespace wb
