#pragma once

#include <cstddef>
#include <streambuf>
#include <string>
#include <string_view>

#include "config/outcome.h"
#include "file/file_ops.h"

namespace wb {

// The one way every file the programs write is saved: a .wb1 file, a
// sheet, a trace. A regular file is written under a new, exclusive name in
// its folder, synced to the disk and put in place only when every step
// succeeded: a failed save leaves an existing file as it was, and the file
// keeps its permission bits. A symbolic link keeps pointing at the saved
// file. A device or FIFO is written in place, never replaced, and a FIFO
// without a reader is refused at once rather than waited on. A file the
// user could not open for writing is refused untouched.
class FileSave {
public:
    explicit FileSave(FileOps& files) : files_(files) {}
    FileSave(const FileSave&) = delete;
    FileSave& operator=(const FileSave&) = delete;
    // A save never finished leaves no temporary behind.
    ~FileSave();

    // False when the file cannot be opened (FailedToOpenFile).
    bool open(const std::string& path);
    // The same for a file that must be new: the finished file takes the
    // name only if nothing holds it then (a file made there meanwhile, or
    // a link), else the save fails with cause() EEXIST. For a backup,
    // which must never replace another.
    bool openNew(const std::string& path);
    // Writes stop at the first short one; false from then on, and after
    // finish().
    bool write(const void* data, std::size_t count);
    bool write(std::string_view text) { return write(text.data(), text.size()); }
    // Puts the file in place: FileSaved or FailedToWriteData. Without a
    // successful open(), or once finished, FailedToOpenFile.
    Outcome finish();

    // The system's reason (errno) for the first step that failed; 0 when
    // it gave none.
    int cause() const { return cause_; }

private:
    bool failed(bool ok);
    void release();

    FileOps& files_;
    SaveTarget target_;
    std::string temporary_;
    std::FILE* file_ = nullptr;
    bool newOnly_ = false;
    bool ok_ = false;
    int cause_ = 0;
};

// A FileSave as a stream's buffer, for a writer that streams (a trace).
// Unbuffered: the runtime's file buffers it.
class FileSaveBuffer : public std::streambuf {
public:
    explicit FileSaveBuffer(FileSave& save) : save_(save) {}

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;

private:
    FileSave& save_;
};

// A whole file in one call.
Outcome saveFile(const std::string& path, std::string_view bytes, FileOps& files, int* cause = nullptr);
inline Outcome saveFile(const std::string& path, std::string_view bytes, int* cause = nullptr) {
    return saveFile(path, bytes, systemFileOps(), cause);
}

}  // namespace wb
