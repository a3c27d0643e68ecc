#pragma once

#include <string>

#include "config/beacon_device.h"
#include "config/codec_context.h"
#include "file/file_ops.h"

namespace wb {

// A .wb1 file: "WB14", 256 as a little-endian 32-bit number, the image.
inline constexpr std::size_t kConfigFileSize = 264;

// Encodes the record with the detected model's layout and writes the
// outgoing image. The file is written under a temporary name in the same
// folder and put in place only when every write and the close succeeded,
// so a failed save leaves an existing file as it was.
void saveConfigFile(BeaconDevice& device, const std::string& path, const CodecContext& context, FileOps& files);
// Reads a file's image and decodes it with the detected model's layout.
// A load that fails changes nothing but the status text.
void loadConfigFile(BeaconDevice& device, const std::string& path, FileOps& files);

inline void saveConfigFile(BeaconDevice& device, const std::string& path, const CodecContext& context) {
    saveConfigFile(device, path, context, systemFileOps());
}
inline void loadConfigFile(BeaconDevice& device, const std::string& path) {
    loadConfigFile(device, path, systemFileOps());
}

// Writes an image as it is, with no encoding: a backup of what a beacon
// sent, to be written back byte for byte. False when any step failed; an
// existing file is then left as it was.
bool writeImageFile(const std::string& path, const ConfigImage& image, FileOps& files);

// Where a save writes before it replaces the file at `path`.
std::string temporarySavePath(const std::string& path);

}  // namespace wb
