#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace wb {

// A command line, JSON file or --set value the tool cannot take. Thrown by
// the option parsers and turned into exit code 2 by runCli; the message
// names what was wrong.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

// An input the core refused (its message names the key) as a usage error,
// the message after `prefix` when one is given.
inline void requireInput(const std::optional<std::string>& error, std::string_view prefix = {}) {
    if (error) throw UsageError(std::string(prefix) + *error);
}

}  // namespace wb
