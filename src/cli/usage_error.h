#pragma once

#include <stdexcept>
#include <string>

namespace wb {

// A command line, JSON file or --set value the tool cannot take. Thrown by
// the option parsers and turned into exit code 2 by runCli; the message
// names what was wrong.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace wb
