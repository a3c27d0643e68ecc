#include "cli/file_roles.h"

#include <filesystem>

#include "cli/usage_error.h"

namespace wb {
namespace {

namespace fs = std::filesystem;

// Where a path that does not exist yet would be created: its links
// followed (also a link to a missing file), its folder made canonical.
fs::path placeOf(fs::path path) {
    std::error_code error;
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(path, error)); ++hops) {
        const fs::path target = fs::read_symlink(path, error);
        if (error) break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    const fs::path place = fs::weakly_canonical(fs::absolute(path, error), error);
    return error ? path.lexically_normal() : place;
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    const bool aExists = fs::exists(a, error);
    const bool bExists = fs::exists(b, error);
    if (aExists && bExists) return fs::equivalent(a, b, error);
    if (aExists || bExists) return false;
    return placeOf(a) == placeOf(b);
}

}  // namespace

void refuseSharedFiles(const std::vector<FileRole>& roles) {
    for (std::size_t i = 0; i < roles.size(); ++i) {
        for (std::size_t j = i + 1; j < roles.size(); ++j) {
            if (roles[i].path.empty() || roles[j].path.empty()) continue;
            if (sameFile(roles[i].path, roles[j].path)) {
                throw UsageError(std::string(roles[i].option) + " and " + roles[j].option + " name the same file: " +
                                 roles[j].path);
            }
        }
    }
}

void refuseExistingFile(const FileRole& role) {
    std::error_code error;
    if (role.path.empty() || !fs::exists(fs::symlink_status(role.path, error))) return;
    throw UsageError(existsAlready(role));
}

std::string existsAlready(const FileRole& role) {
    return std::string(role.option) + ": " + role.path + " exists already; name a new file";
}

}  // namespace wb
