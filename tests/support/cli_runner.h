#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"

namespace wb::test {

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs `wrenbolt <args...>` in-process and captures both streams.
inline CliResult runWrenbolt(const std::vector<std::string>& args) {
    std::vector<const char*> argv{"wrenbolt"};
    for (const auto& arg : args) argv.push_back(arg.c_str());
    std::ostringstream out;
    std::ostringstream err;
    CliResult result;
    result.exitCode = runCli(static_cast<int>(argv.size()), argv.data(), out, err);
    result.out = out.str();
    result.err = err.str();
    return result;
}

}  // namespace wb::test
