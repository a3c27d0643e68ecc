#include "sim/server/image_file.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace wb {
namespace {

constexpr std::array<char, 4> kMagic{'W', 'B', '1', '4'};
constexpr std::size_t kHeaderSize = 8;

}  // namespace

std::optional<ConfigImage> readImageFile(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return std::nullopt;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic.data(), 4) != 0) {
        error = path + ": not a .wb1 file (no WB14 header)";
        return std::nullopt;
    }
    std::uint32_t length = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        length |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[4 + i])) << (8 * i);
    }
    if (length != kImageSize || bytes.size() < kHeaderSize + kImageSize) {
        error = path + ": the image is not 256 bytes";
        return std::nullopt;
    }
    ConfigImage image{};
    for (std::size_t i = 0; i < kImageSize; ++i) {
        image[i] = static_cast<std::uint8_t>(bytes[kHeaderSize + i]);
    }
    return image;
}

bool writeImageFile(const std::string& path, const ConfigImage& image, std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        error = "cannot create " + path;
        return false;
    }
    std::array<char, kHeaderSize + kImageSize> bytes{};
    std::memcpy(bytes.data(), kMagic.data(), kMagic.size());
    bytes[4] = static_cast<char>(kImageSize & 0xFF);
    bytes[5] = static_cast<char>((kImageSize >> 8) & 0xFF);
    for (std::size_t i = 0; i < kImageSize; ++i) {
        bytes[kHeaderSize + i] = static_cast<char>(image[i]);
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace wb
