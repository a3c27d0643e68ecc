#include <windows.h>

#include "file/file_ops.h"

namespace wb {
namespace {

class Win32FileOps final : public StdioFileOps {
public:
    // The runtime's rename refuses an existing target on Windows;
    // MoveFileExA replaces it, and returns only once the move is on disk.
    bool replace(const std::string& from, const std::string& to) override {
        return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }
};

}  // namespace

FileOps& systemFileOps() {
    static Win32FileOps ops;
    return ops;
}

}  // namespace wb
