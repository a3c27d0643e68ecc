#include "wasm/page_files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

namespace wb {

void PageFiles::put(const std::string& path, std::vector<std::uint8_t> bytes) {
    files_[path] = std::move(bytes);
}

std::vector<std::uint8_t> PageFiles::take(const std::string& path) {
    const auto it = files_.find(path);
    if (it == files_.end()) return {};
    std::vector<std::uint8_t> bytes = std::move(it->second);
    files_.erase(it);
    return bytes;
}

std::FILE* PageFiles::open(const std::string& path, OpenMode mode) {
    // Nothing here is a device to be written in place.
    if (mode != OpenMode::Read || files_.find(path) == files_.end()) return nullptr;
    open_.push_back(std::make_unique<OpenFile>(OpenFile{path, 0}));
    return reinterpret_cast<std::FILE*>(open_.back().get());
}

PageFiles::OpenFile* PageFiles::find(std::FILE* file) {
    for (const auto& entry : open_) {
        if (reinterpret_cast<std::FILE*>(entry.get()) == file) return entry.get();
    }
    return nullptr;
}

std::size_t PageFiles::read(std::FILE* file, void* buffer, std::size_t count) {
    OpenFile* open = find(file);
    if (open == nullptr) return 0;
    const std::vector<std::uint8_t>& bytes = files_[open->path];
    const std::size_t n = std::min(count, bytes.size() - std::min(open->position, bytes.size()));
    if (n > 0) std::memcpy(buffer, bytes.data() + open->position, n);
    open->position += n;
    return n;
}

std::size_t PageFiles::write(std::FILE* file, const void* data, std::size_t count) {
    OpenFile* open = find(file);
    if (open == nullptr) return 0;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    files_[open->path].insert(files_[open->path].end(), bytes, bytes + count);
    return count;
}

bool PageFiles::flush(std::FILE* file) { return find(file) != nullptr; }

bool PageFiles::sync(std::FILE* file) { return find(file) != nullptr; }

bool PageFiles::close(std::FILE* file) {
    const auto it = std::find_if(open_.begin(), open_.end(), [file](const auto& entry) {
        return reinterpret_cast<std::FILE*>(entry.get()) == file;
    });
    if (it == open_.end()) return false;
    open_.erase(it);
    return true;
}

bool PageFiles::inspect(const std::string& path, SaveTarget& target) {
    target = {path, files_.count(path) != 0 ? SaveTargetKind::Regular : SaveTargetKind::Absent};
    return true;
}

std::FILE* PageFiles::createTemporary(const SaveTarget& target, std::string& temporaryPath) {
    temporaryPath = target.path + "." + std::to_string(++temporaries_);
    files_[temporaryPath].clear();
    open_.push_back(std::make_unique<OpenFile>(OpenFile{temporaryPath, 0}));
    return reinterpret_cast<std::FILE*>(open_.back().get());
}

bool PageFiles::replace(const std::string& from, const SaveTarget& target) {
    const auto it = files_.find(from);
    if (it == files_.end()) return false;
    std::vector<std::uint8_t> bytes = std::move(it->second);
    files_.erase(it);
    files_[target.path] = std::move(bytes);
    return true;
}

bool PageFiles::placeNew(const std::string& from, const SaveTarget& target) {
    if (files_.count(target.path) != 0) {
        errno = EEXIST;
        return false;
    }
    return replace(from, target);
}

bool PageFiles::syncFolder(const SaveTarget&) { return true; }

bool PageFiles::remove(const std::string& path) { return files_.erase(path) != 0; }

}  // namespace wb
