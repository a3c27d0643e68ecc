#pragma once

#include <string>

namespace wbgui {

// One line per check on stdout: "ok   name" or "FAIL name: details".
class Checks {
public:
    bool check(bool ok, const std::string& name, const std::string& detail = {});
    bool equal(const std::string& name, const std::string& actual, const std::string& expected);
    bool equal(const std::string& name, long long actual, long long expected);
    int failures() const { return failures_; }
    int total() const { return total_; }

private:
    int failures_ = 0;
    int total_ = 0;
};

// A text with its control characters made visible, in double quotes.
std::string shown(const std::string& text);

}  // namespace wbgui
