// The file calls on POSIX systems.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "file/file_ops.h"

namespace wb {
namespace {

// The kernel's own limit on links followed in one path.
constexpr int kMaxLinkHops = 40;
// A temporary name must stay under the 255 bytes a name may have.
constexpr std::size_t kMaxBaseForTemporary = 200;

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The path a link points to, taken relative to the link's folder.
bool followLink(std::string& path) {
    std::vector<char> buffer(4096);
    const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) return false;
    const std::string link(buffer.data(), static_cast<std::size_t>(n));
    path = link[0] == '/' ? link : folderOf(path) + "/" + link;
    return true;
}

mode_t creationMode() {
    // What fopen("wb") would have given a new file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

class PosixFileOps final : public StdioFileOps {
public:
    std::FILE* open(const std::string& path, OpenMode mode) override {
        if (mode == OpenMode::Read) {
            std::FILE* file = std::fopen(path.c_str(), "rb");
            struct stat st {};
            if (file != nullptr && (::fstat(::fileno(file), &st) != 0 || S_ISDIR(st.st_mode))) {
                std::fclose(file);
                return nullptr;
            }
            return file;
        }
        // Non-blocking: a FIFO without a reader fails at once rather than
        // hanging the save. Never created, never emptied.
        const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return nullptr;
        struct stat st {};
        // A regular file put there since the inspection would keep its tail.
        if (::fstat(fd, &st) != 0 || S_ISREG(st.st_mode) ||
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
            ::close(fd);
            return nullptr;
        }
        std::FILE* file = ::fdopen(fd, "wb");
        if (file == nullptr) ::close(fd);
        return file;
    }

    bool sync(std::FILE* file) override { return ::fsync(::fileno(file)) == 0; }

    bool inspect(const std::string& path, SaveTarget& target) override {
        std::string resolved = path;
        struct stat st {};
        for (int hops = 0;; ++hops) {
            if (::lstat(resolved.c_str(), &st) != 0) {
                if (errno != ENOENT) return false;
                target = {resolved, SaveTargetKind::Absent};
                return true;
            }
            if (!S_ISLNK(st.st_mode)) break;
            // The link stays; the file it names is the one saved.
            if (hops == kMaxLinkHops || !followLink(resolved)) return false;
        }
        if (S_ISDIR(st.st_mode)) return false;
        if (!S_ISREG(st.st_mode)) {
            target = {resolved, SaveTargetKind::Special};
            return true;
        }
        // Replacing only needs the folder to be writable; the file's own
        // protection is honoured by asking for it, as an in-place write would.
        const int fd = ::open(resolved.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return false;
        ::close(fd);
        target = {resolved, SaveTargetKind::Regular};
        return true;
    }

    std::FILE* createTemporary(const SaveTarget& target, std::string& temporaryPath) override {
        // mkstemp creates the name with O_EXCL: an existing file or link of
        // that name is never opened, let alone followed.
        std::string pattern = folderOf(target.path) + "/" + baseOf(target.path).substr(0, kMaxBaseForTemporary) +
                              ".XXXXXX";
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0) return nullptr;
        temporaryPath = pattern;
        if (!takeOverAccess(fd, target)) {
            ::close(fd);
            ::unlink(pattern.c_str());
            return nullptr;
        }
        std::FILE* file = ::fdopen(fd, "wb");
        if (file == nullptr) {
            ::close(fd);
            ::unlink(pattern.c_str());
        }
        return file;
    }

    // rename(2) swaps the directory entry in one step: a reader sees either
    // the old file or the new one, never a part.
    bool replace(const std::string& from, const SaveTarget& target) override {
        return std::rename(from.c_str(), target.path.c_str()) == 0;
    }

    bool placeNew(const std::string& from, const SaveTarget& target) override {
        const char* to = target.path.c_str();
        // link(2) fails on any existing name, and never follows a link there.
        if (::link(from.c_str(), to) == 0) {
            ::unlink(from.c_str());
            return true;
        }
        // A memory stick's FAT has no hard links.
        if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP && errno != ENOSYS) return false;
#if defined(__linux__) && defined(RENAME_NOREPLACE)
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to, RENAME_NOREPLACE) == 0) return true;
        if (errno != EINVAL && errno != ENOSYS) return false;
#endif
        // A file system with neither: look, then rename, the best there is.
        struct stat st {};
        if (::lstat(to, &st) == 0) {
            errno = EEXIST;
            return false;
        }
        return std::rename(from.c_str(), to) == 0;
    }

    bool syncFolder(const SaveTarget& target) override {
        const int fd = ::open(folderOf(target.path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return false;
        // Some file systems cannot sync a folder (EINVAL); their entries are
        // as durable as they will get.
        const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
        ::close(fd);
        return ok;
    }

private:
    // The owner, group and permission bits of the file being replaced (the
    // owner only where the user may give it), or those a new file gets.
    static bool takeOverAccess(int fd, const SaveTarget& target) {
        if (target.kind != SaveTargetKind::Regular) return ::fchmod(fd, creationMode()) == 0;
        struct stat st {};
        if (::stat(target.path.c_str(), &st) != 0) return false;
        // Only root may give a file away; a user keeps at least the group
        // when they are in it. Neither is a reason to refuse the save.
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            const int groupOnly = ::fchown(fd, static_cast<uid_t>(-1), st.st_gid);
            static_cast<void>(groupOnly);
        }
        // After the chown, which clears the set-user-ID bits.
        return ::fchmod(fd, st.st_mode & 07777) == 0;
    }
};

}  // namespace

FileOps& systemFileOps() {
    static PosixFileOps ops;
    return ops;
}

}  // namespace wb
