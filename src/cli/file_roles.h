#pragma once

#include <string>
#include <vector>

namespace wb {

// One file a command reads or writes, named by its option ("--backup").
struct FileRole {
    const char* option;
    std::string path;  // empty: not given
};

// Throws UsageError when two of the given files are the same file (the
// same device and inode, or, for a file not there yet, the same place),
// so that an output can never destroy an input or another output before
// it is used: `write hunt.wb1 --backup hunt.wb1` would save the beacon's
// old image over the file about to be written.
void refuseSharedFiles(const std::vector<FileRole>& roles);

// Throws UsageError when the role's path names anything already there (a
// file, a folder, a link even to nowhere): a backup is the one copy of what
// the beacon held, and a second run must not replace the first run's.
void refuseExistingFile(const FileRole& role);
// "--backup: old.wb1 exists already; name a new file"
std::string existsAlready(const FileRole& role);

}  // namespace wb
