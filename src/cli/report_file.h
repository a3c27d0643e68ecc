#pragma once

#include <cstdio>
#include <string>

namespace wb {

// A CSV report of a plan run or audit. A rerun with the same report appends
// to it, so that the record of earlier beacons (which got which backup) is
// never lost; a file with another header is not ours to add to. Each row is
// flushed and synced as it is written: a run cut short, or a machine that
// dies, keeps every row so far.
class ReportFile {
public:
    ReportFile() = default;
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;
    ~ReportFile();

    // `header` ends in "\n"; `kind` names such a report in a refusal
    // ("a plan report"). Empty when the report is ready for rows, else why not.
    std::string open(const std::string& path, const std::string& header, const std::string& kind);
    bool write(const std::string& text);
    const std::string& error() const { return error_; }

private:
    std::string failure() const;

    std::string path_;
    std::FILE* file_ = nullptr;
    bool regular_ = false;
    std::string error_;
};

}  // namespace wb
