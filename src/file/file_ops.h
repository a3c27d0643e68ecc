#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace wb {

enum class OpenMode {
    Read,     // "rb"; a folder does not open
    InPlace,  // an existing device or FIFO, written where it is: never created,
              // emptied or waited on for a reader
};

// What a save finds at the path it was given.
enum class SaveTargetKind {
    Absent,   // nothing there yet: the file is created
    Regular,  // a regular file the user may write: replaced whole
    Special,  // a device node or FIFO: written in place, never replaced
};

struct SaveTarget {
    std::string path;  // the file itself, with symbolic links followed
    SaveTargetKind kind = SaveTargetKind::Absent;
};

// The file calls Save and Load make, one for one, so that tests can make
// any single step fail. Files are the runtime library's buffered files.
class FileOps {
public:
    virtual ~FileOps() = default;
    // nullptr when the file cannot be opened.
    virtual std::FILE* open(const std::string& path, OpenMode mode) = 0;
    virtual std::size_t read(std::FILE* file, void* buffer, std::size_t count) = 0;
    virtual std::size_t write(std::FILE* file, const void* data, std::size_t count) = 0;
    // The runtime's buffer to the system.
    virtual bool flush(std::FILE* file) = 0;
    // The system's cache to the disk, so that a power cut after the replace
    // cannot leave the new name on an empty file.
    virtual bool sync(std::FILE* file) = 0;
    // Always releases the file; false when its last buffer could not be written.
    virtual bool close(std::FILE* file) = 0;

    // Follows symbolic links and says what is there. False when the user
    // could not open that file for writing (read-only, a folder, a loop of
    // links): the save is refused and nothing is touched.
    virtual bool inspect(const std::string& path, SaveTarget& target) = 0;
    // A new file under a name nobody else holds, in the target's folder,
    // created exclusively (never through an existing name or link), with
    // the target's permission bits when it exists. Its name goes to
    // `temporaryPath`; nullptr when it cannot be created.
    virtual std::FILE* createTemporary(const SaveTarget& target, std::string& temporaryPath) = 0;
    // Puts the file at `from` in the place of the target in one step; on
    // failure the target is as it was.
    virtual bool replace(const std::string& from, const SaveTarget& target) = 0;
    // Gives the file at `from` the target's name only while nothing holds
    // that name, a link to nowhere included, checked and taken in one
    // step: never replaces. False, with errno EEXIST when the name was
    // taken, on failure; `from` is left for the caller to remove.
    virtual bool placeNew(const std::string& from, const SaveTarget& target) = 0;
    // Makes the replace itself durable: the folder's entry on the disk.
    virtual bool syncFolder(const SaveTarget& target) = 0;
    virtual bool remove(const std::string& path) = 0;
};

// The runtime's calls shared by every platform.
class StdioFileOps : public FileOps {
public:
    std::size_t read(std::FILE* file, void* buffer, std::size_t count) override;
    std::size_t write(std::FILE* file, const void* data, std::size_t count) override;
    bool flush(std::FILE* file) override;
    bool close(std::FILE* file) override;
    bool remove(const std::string& path) override;
};

// The platform's calls: POSIX (mkstemp, fsync, rename, link) or Win32
// (CREATE_NEW, _commit, MoveFileExA). Defined with the platform backend.
FileOps& systemFileOps();

}  // namespace wb
