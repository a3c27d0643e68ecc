#include "file/file_ops.h"

namespace wb {

std::size_t StdioFileOps::read(std::FILE* file, void* buffer, std::size_t count) {
    return std::fread(buffer, 1, count, file);
}

std::size_t StdioFileOps::write(std::FILE* file, const void* data, std::size_t count) {
    return std::fwrite(data, 1, count, file);
}

bool StdioFileOps::flush(std::FILE* file) {
    return std::fflush(file) == 0;
}

bool StdioFileOps::close(std::FILE* file) {
    return std::fclose(file) == 0;
}

bool StdioFileOps::remove(const std::string& path) {
    return std::remove(path.c_str()) == 0;
}

}  // namespace wb
