#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "file/file_ops.h"

namespace wb {

// Files kept in memory, so that the core's own Save and Load (their header
// checks, their status texts) run unchanged in the page, where a file is
// the bytes of a download or of the file the user chose. The FILE pointers
// handed out are tokens for open files here, never real streams.
class PageFiles : public FileOps {
public:
    void put(const std::string& path, std::vector<std::uint8_t> bytes);
    // The bytes of a file; empty when there is none.
    std::vector<std::uint8_t> take(const std::string& path);

    std::FILE* open(const std::string& path, OpenMode mode) override;
    std::size_t read(std::FILE* file, void* buffer, std::size_t count) override;
    std::size_t write(std::FILE* file, const void* data, std::size_t count) override;
    bool flush(std::FILE* file) override;
    bool sync(std::FILE* file) override;
    bool close(std::FILE* file) override;
    // No links, devices or protection here: a path is a file or nothing.
    bool inspect(const std::string& path, SaveTarget& target) override;
    std::FILE* createTemporary(const SaveTarget& target, std::string& temporaryPath) override;
    bool replace(const std::string& from, const SaveTarget& target) override;
    bool placeNew(const std::string& from, const SaveTarget& target) override;
    bool syncFolder(const SaveTarget& target) override;
    bool remove(const std::string& path) override;

private:
    struct OpenFile {
        std::string path;
        std::size_t position = 0;
    };
    OpenFile* find(std::FILE* file);

    std::map<std::string, std::vector<std::uint8_t>> files_;
    std::vector<std::unique_ptr<OpenFile>> open_;
    int temporaries_ = 0;
};

}  // namespace wb
