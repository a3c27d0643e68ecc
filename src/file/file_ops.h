#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace wb {

enum class OpenMode { Read, Write };

// The file calls Save and Load make, one for one, so that tests can make
// any single step fail. Files are the runtime library's buffered files.
class FileOps {
public:
    virtual ~FileOps() = default;
    // Binary mode ("rb" or "wb"); nullptr when the file cannot be opened.
    virtual std::FILE* open(const std::string& path, OpenMode mode) = 0;
    virtual std::size_t read(std::FILE* file, void* buffer, std::size_t count) = 0;
    virtual std::size_t write(std::FILE* file, const void* data, std::size_t count) = 0;
    virtual bool flush(std::FILE* file) = 0;
    // Always releases the file; false when its last buffer could not be written.
    virtual bool close(std::FILE* file) = 0;
    // Puts `from` in the place of `to` in one step, replacing an existing
    // `to`; on failure `to` is as it was.
    virtual bool replace(const std::string& from, const std::string& to) = 0;
    virtual bool remove(const std::string& path) = 0;
};

// The C runtime's calls; replace is left to the platform.
class StdioFileOps : public FileOps {
public:
    std::FILE* open(const std::string& path, OpenMode mode) override;
    std::size_t read(std::FILE* file, void* buffer, std::size_t count) override;
    std::size_t write(std::FILE* file, const void* data, std::size_t count) override;
    bool flush(std::FILE* file) override;
    bool close(std::FILE* file) override;
    bool remove(const std::string& path) override;
};

// The runtime's calls with the platform's replace (rename(2) on POSIX,
// MoveFileExA on Windows). Defined with the platform backend.
FileOps& systemFileOps();

}  // namespace wb
