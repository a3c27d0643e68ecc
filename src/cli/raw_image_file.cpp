#include "cli/raw_image_file.h"

#include <cstdio>

namespace wb {

bool saveRawImageFile(const std::string& path, const ConfigImage& image) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const unsigned char header[8] = {'W', 'B', '1', '4', 0x00, 0x01, 0x00, 0x00};
    bool ok = std::fwrite(header, 1, sizeof header, file) == sizeof header;
    ok = ok && std::fwrite(image.data(), 1, image.size(), file) == image.size();
    ok = (std::fclose(file) == 0) && ok;
    return ok;
}

}  // namespace wb
