// The file calls on Windows.

#include <windows.h>

#include <aclapi.h>
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "file/file_ops.h"

namespace wb {
namespace {

// Attempts at a free temporary name before giving up.
constexpr int kNameAttempts = 100;

std::FILE* fileFromHandle(HANDLE handle) {
    const int fd = ::_open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd == -1) {
        ::CloseHandle(handle);
        return nullptr;
    }
    std::FILE* file = ::_fdopen(fd, "wb");
    if (file == nullptr) ::_close(fd);
    return file;
}

// Eight hex digits that differ between processes and between calls; the
// exclusive create, not the digits, is what makes the name ours.
std::string nameSuffix() {
    static std::uint64_t counter = 0;
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    std::uint64_t x = static_cast<std::uint64_t>(now.QuadPart) ^
                      (static_cast<std::uint64_t>(::GetCurrentProcessId()) << 32) ^
                      (++counter * 0x9E3779B97F4A7C15ull);
    x ^= x >> 33;
    x *= 0xFF51AFD7ED558CCDull;
    x ^= x >> 33;
    char text[12];
    std::snprintf(text, sizeof text, "%08lx", static_cast<unsigned long>(x & 0xFFFFFFFFu));
    return text;
}

// The file a link or junction leads to, as a plain drive path.
std::string finalPath(HANDLE handle, const std::string& fallback) {
    char buffer[MAX_PATH + 8];
    const DWORD n = ::GetFinalPathNameByHandleA(handle, buffer, sizeof buffer, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0 || n >= sizeof buffer) return fallback;
    std::string path(buffer, n);
    if (path.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + path.substr(8);
    if (path.rfind("\\\\?\\", 0) == 0) return path.substr(4);
    return path;
}

// The old file's attributes and its own access rules, so that the new
// file is protected as the old one was. Best effort: a new file in the
// same folder inherits the same rules in any case.
void takeOverAccess(HANDLE file, const std::string& from) {
    const DWORD attributes = ::GetFileAttributesA(from.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        FILE_BASIC_INFO info{};
        if (::GetFileInformationByHandleEx(file, FileBasicInfo, &info, sizeof info)) {
            info.FileAttributes = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                                FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
            if (info.FileAttributes == 0) info.FileAttributes = FILE_ATTRIBUTE_NORMAL;
            ::SetFileInformationByHandle(file, FileBasicInfo, &info, sizeof info);
        }
    }
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoA(from.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                                nullptr, &descriptor) != ERROR_SUCCESS) {
        return;
    }
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ::GetSecurityDescriptorControl(descriptor, &control, &revision);
    const SECURITY_INFORMATION which = DACL_SECURITY_INFORMATION | ((control & SE_DACL_PROTECTED) != 0
                                                                         ? PROTECTED_DACL_SECURITY_INFORMATION
                                                                         : UNPROTECTED_DACL_SECURITY_INFORMATION);
    ::SetSecurityInfo(file, SE_FILE_OBJECT, which, nullptr, nullptr, dacl, nullptr);
    ::LocalFree(descriptor);
}

class Win32FileOps final : public StdioFileOps {
public:
    std::FILE* open(const std::string& path, OpenMode mode) override {
        if (mode == OpenMode::Read) return std::fopen(path.c_str(), "rb");
        // A device is opened as it is; a disk file put there since the
        // inspection is not written over.
        HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return nullptr;
        if (::GetFileType(handle) == FILE_TYPE_DISK) {
            ::CloseHandle(handle);
            return nullptr;
        }
        return fileFromHandle(handle);
    }

    // FlushFileBuffers on the file's handle.
    bool sync(std::FILE* file) override { return ::_commit(::_fileno(file)) == 0; }

    bool inspect(const std::string& path, SaveTarget& target) override {
        // Asking for write access honours the read-only attribute, the
        // file's access rules, and another program's lock.
        HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            if (::GetLastError() != ERROR_FILE_NOT_FOUND) return false;
            target = {path, SaveTargetKind::Absent};
            return true;
        }
        bool writable = true;
        if (::GetFileType(handle) != FILE_TYPE_DISK) {
            target = {path, SaveTargetKind::Special};
        } else {
            const DWORD attributes = ::GetFileAttributesA(path.c_str());
            const bool link = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            target = {link ? finalPath(handle, path) : path, SaveTargetKind::Regular};
            // Asked once more for Wine run as root, which maps the
            // attribute to permission bits that root does not heed.
            const DWORD own = ::GetFileAttributesA(target.path.c_str());
            writable = own != INVALID_FILE_ATTRIBUTES && (own & FILE_ATTRIBUTE_READONLY) == 0;
        }
        ::CloseHandle(handle);
        return writable;
    }

    std::FILE* createTemporary(const SaveTarget& target, std::string& temporaryPath) override {
        for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
            const std::string name = target.path + "." + nameSuffix();
            // CREATE_NEW fails on any existing name, a link included.
            HANDLE handle = ::CreateFileA(name.c_str(), GENERIC_WRITE | WRITE_DAC, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
            if (handle == INVALID_HANDLE_VALUE) {
                const DWORD error = ::GetLastError();
                if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
                return nullptr;
            }
            temporaryPath = name;
            if (target.kind == SaveTargetKind::Regular) takeOverAccess(handle, target.path);
            std::FILE* file = fileFromHandle(handle);
            if (file == nullptr) ::DeleteFileA(name.c_str());
            return file;
        }
        return nullptr;
    }

    // The runtime's rename refuses an existing target on Windows;
    // MoveFileExA replaces it, and returns only once the move is on disk.
    bool replace(const std::string& from, const SaveTarget& target) override {
        return ::MoveFileExA(from.c_str(), target.path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
               0;
    }

    // Without MOVEFILE_REPLACE_EXISTING the move fails on a name in use.
    bool placeNew(const std::string& from, const SaveTarget& target) override {
        if (::MoveFileExA(from.c_str(), target.path.c_str(), MOVEFILE_WRITE_THROUGH) != 0) return true;
        const DWORD error = ::GetLastError();
        errno = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? EEXIST : 0;
        return false;
    }

    // MOVEFILE_WRITE_THROUGH has already waited for the folder's entry.
    bool syncFolder(const SaveTarget&) override { return true; }
};

}  // namespace

FileOps& systemFileOps() {
    static Win32FileOps ops;
    return ops;
}

}  // namespace wb
