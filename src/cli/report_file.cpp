#include "cli/report_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "file/file_ops.h"
#include "plan/plan_report.h"
#include "util/csv_cells.h"

namespace wb {

namespace fs = std::filesystem;

ReportFile::~ReportFile() {
    if (file_ != nullptr) std::fclose(file_);
}

std::string ReportFile::open(const std::string& path, const std::string& header, const std::string& kind) {
    path_ = path;
    std::error_code ec;
    regular_ = fs::is_regular_file(path, ec);
    std::string start = header;
    if (regular_ && fs::file_size(path, ec) > 0 && !ec) {
        std::ifstream in(path, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string first = text.substr(0, text.find('\n'));
        if (!first.empty() && first.back() == '\r') first.pop_back();
        const std::string line = header.substr(0, header.size() - 1);
        if (first != line) {
            return "The report " + path + " is not " + kind + " (its first line is not \"" + line +
                   "\"); name another file";
        }
        // A row cut short by a crash, even inside a quoted cell, ends
        // before the next one starts.
        start = csvRowEnd(text);
    }
    errno = 0;
    SaveTarget target;
    if (!systemFileOps().inspect(path, target)) return failure();
    // A device or FIFO is written where it is, and a FIFO without a
    // reader is refused at once rather than waited on.
    file_ = target.kind == SaveTargetKind::Special ? systemFileOps().open(target.path, OpenMode::InPlace)
                                                   : std::fopen(path.c_str(), "ab");
    if (file_ == nullptr) return failure();
    return write(start) ? std::string() : error_;
}

bool ReportFile::write(const std::string& text) {
    errno = 0;
    const bool ok = std::fwrite(text.data(), 1, text.size(), file_) == text.size() &&
                    systemFileOps().flush(file_) && (!regular_ || systemFileOps().sync(file_));
    if (!ok) error_ = failure();
    return ok;
}

std::string ReportFile::failure() const {
    const int cause = errno;
    return "Could not write the report " + path_ + (cause != 0 ? ": " + std::string(std::strerror(cause)) : "");
}

}  // namespace wb
