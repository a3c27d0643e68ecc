#include "file/input_file.h"

#include <filesystem>
#include <fstream>
#include <utility>

namespace wb {

InputFileProblem readInputFile(const std::string& path, std::string& contents, std::size_t maxBytes) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status)) return InputFileProblem::CannotOpen;
    if (!std::filesystem::is_regular_file(status)) return InputFileProblem::NotRegularFile;
    std::ifstream in(path, std::ios::binary);
    if (!in) return InputFileProblem::CannotOpen;
    // Never more than one byte past the limit, whatever the file turned
    // into since it was looked at.
    std::string text;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (text.size() > maxBytes) return InputFileProblem::TooLarge;
    }
    if (in.bad()) return InputFileProblem::ReadFailed;
    contents = std::move(text);
    return InputFileProblem::None;
}

std::string inputFileProblemText(InputFileProblem problem, std::size_t maxBytes) {
    switch (problem) {
    case InputFileProblem::None: return {};
    case InputFileProblem::CannotOpen: return "cannot be opened";
    case InputFileProblem::NotRegularFile: return "is not a regular file";
    case InputFileProblem::TooLarge:
        return maxBytes % (1024 * 1024) == 0 ? "is larger than " + std::to_string(maxBytes / (1024 * 1024)) + " MiB"
                                             : "is larger than " + std::to_string(maxBytes) + " bytes";
    case InputFileProblem::ReadFailed: return "could not be read";
    }
    return {};
}

}  // namespace wb
