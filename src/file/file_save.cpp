#include "file/file_save.h"

#include <cerrno>

namespace wb {

FileSave::~FileSave() {
    if (file_ != nullptr) files_.close(file_);
    if (!temporary_.empty()) files_.remove(temporary_);
}

bool FileSave::failed(bool ok) {
    if (!ok && ok_) {
        cause_ = errno;
        ok_ = false;
    }
    return !ok;
}

bool FileSave::open(const std::string& path) {
    errno = 0;
    ok_ = true;
    newOnly_ = false;
    if (failed(files_.inspect(path, target_))) return false;
    // A device or FIFO has no folder entry to swap: it takes the bytes where it is.
    file_ = target_.kind == SaveTargetKind::Special ? files_.open(target_.path, OpenMode::InPlace)
                                                     : files_.createTemporary(target_, temporary_);
    return !failed(file_ != nullptr);
}

bool FileSave::openNew(const std::string& path) {
    errno = 0;
    ok_ = true;
    newOnly_ = true;
    // The name itself, never where a link there leads.
    target_ = {path, SaveTargetKind::Absent};
    file_ = files_.createTemporary(target_, temporary_);
    return !failed(file_ != nullptr);
}

bool FileSave::write(const void* data, std::size_t count) {
    if (!ok_ || file_ == nullptr) return false;
    errno = 0;
    return !failed(files_.write(file_, data, count) == count);
}

void FileSave::release() {
    std::FILE* file = file_;
    file_ = nullptr;
    errno = 0;
    if (!files_.close(file)) failed(false);
}

Outcome FileSave::finish() {
    if (file_ == nullptr) return Outcome::FailedToOpenFile;
    errno = 0;
    if (ok_) failed(files_.flush(file_));
    if (temporary_.empty()) {
        release();
        return ok_ ? Outcome::FileSaved : Outcome::FailedToWriteData;
    }
    // On the disk before it takes the name, so that a power cut leaves the
    // old file or the whole new one. A full disk often shows only at the
    // close, when the last buffer goes out.
    if (ok_) failed(files_.sync(file_));
    release();
    errno = 0;
    const bool placed =
        ok_ && !failed(newOnly_ ? files_.placeNew(temporary_, target_) : files_.replace(temporary_, target_));
    if (!placed) files_.remove(temporary_);
    temporary_.clear();
    if (!placed) return Outcome::FailedToWriteData;
    // The new file is in place, but until its folder entry is on the disk
    // a power cut could still bring the old one back.
    errno = 0;
    return failed(files_.syncFolder(target_)) ? Outcome::FailedToWriteData : Outcome::FileSaved;
}

FileSaveBuffer::int_type FileSaveBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return save_.write(&byte, 1) ? c : traits_type::eof();
}

std::streamsize FileSaveBuffer::xsputn(const char* text, std::streamsize count) {
    return save_.write(text, static_cast<std::size_t>(count)) ? count : 0;
}

Outcome saveFile(const std::string& path, std::string_view bytes, FileOps& files, int* cause) {
    FileSave save(files);
    Outcome outcome = Outcome::FailedToOpenFile;
    if (save.open(path)) {
        save.write(bytes);
        outcome = save.finish();
    }
    if (cause != nullptr) *cause = save.cause();
    return outcome;
}

}  // namespace wb
