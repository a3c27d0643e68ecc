#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace wb {

// One attempt of a plan run: a beacon identified for an entry and what
// became of it.
struct PlanReportRow {
    std::string time;     // UTC, ISO 8601: 2026-05-17T08:30:05Z
    std::string name;     // the plan's name for the entry
    std::string version;  // the beacon's version text, line breaks dropped
    std::string status;   // the final status text of the attempt
    std::string sha256;   // of the 256 bytes written; empty when none were
    std::string backup;   // the backup file's path; empty when none was saved
};

// One beacon read by a plan audit.
struct AuditReportRow {
    std::string time;
    std::string name;     // the plan's name for its entry; the Morse text for a stranger
    std::string version;
    std::string result;   // "matches", "differs", "not in plan" or "seen twice"
    std::string sha256;   // of the 256 bytes read
    std::vector<std::string> differences;  // the differing members' keys
};

// The reports' CSV headers and rows, each ending in "\n".
std::string planReportHeader();
std::string planReportLine(const PlanReportRow& row);
std::string auditReportHeader();
std::string auditReportLine(const AuditReportRow& row);

// A report's time: UTC, ISO 8601, to the second.
std::string utcTimeText(std::chrono::system_clock::time_point when);

// The backup of an entry's beacon: the first of NAME-before.wb1,
// NAME-before-2.wb1, ... that `taken` does not claim, so that no backup
// overwrites another. Characters that some file system would refuse
// become "_".
std::string backupFileName(const std::string& name, const std::function<bool(const std::string&)>& taken);
// The longest name, in bytes, a plan gives a beacon: its backup's file name
// stays far below the 255 bytes a file system takes for a name, leaving room
// for the folder within the 260 of a Windows path.
inline constexpr std::size_t kMaxBeaconNameBytes = 100;

}  // namespace wb
