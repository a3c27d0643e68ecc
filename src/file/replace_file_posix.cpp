#include <cstdio>

#include "file/file_ops.h"

namespace wb {
namespace {

class PosixFileOps final : public StdioFileOps {
public:
    // rename(2) swaps the directory entry in one step: a reader sees either
    // the old file or the new one, never a part.
    bool replace(const std::string& from, const std::string& to) override {
        return std::rename(from.c_str(), to.c_str()) == 0;
    }
};

}  // namespace

FileOps& systemFileOps() {
    static PosixFileOps ops;
    return ops;
}

}  // namespace wb
