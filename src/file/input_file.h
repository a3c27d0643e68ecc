#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace wb {

// The most a text input (a JSON record, a hunt plan) may hold: far more
// than any real one, and little enough to hold in memory.
inline constexpr std::size_t kMaxInputFileSize = 1024 * 1024;

enum class InputFileProblem { None, CannotOpen, NotRegularFile, TooLarge, ReadFailed };

// Reads a whole input file. Only a regular file of at most maxBytes is
// taken, so that /dev/zero, a FIFO or a folder is refused rather than read
// until memory runs out or waited on for ever.
InputFileProblem readInputFile(const std::string& path, std::string& contents,
                               std::size_t maxBytes = kMaxInputFileSize);

// What to tell the user, after the file's name: "is not a regular file".
std::string inputFileProblemText(InputFileProblem problem, std::size_t maxBytes = kMaxInputFileSize);

}  // namespace wb
