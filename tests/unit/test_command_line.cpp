#include <gtest/gtest.h>

#include <string_view>

#include "app/win32/command_line.h"

namespace wb {
namespace {

struct LineCase {
    std::string_view line;
    std::string_view arguments;
    bool noLimit;
};

TEST(CommandLine, NoLimitOnlyAsTheWholeArgumentText) {
    const LineCase cases[] = {
        {"WrenboltConfig.exe", "", false},
        {"WrenboltConfig.exe /NOLIMIT", "/NOLIMIT", true},
        {"WrenboltConfig.exe /nolimit", "/nolimit", true},
        {"WrenboltConfig.exe /NoLiMiT", "/NoLiMiT", true},
        {"WrenboltConfig.exe \t   /nolimit", "/nolimit", true},
        {"\"C:\\Program Files\\Wrenbolt\\WrenboltConfig.exe\"   /NOLIMIT", "/NOLIMIT", true},
        {"\"C:\\Wrenbolt Config.exe\"/NOLIMIT", "/NOLIMIT", true},
        {"\"C:\\Wrenbolt Config.exe\"", "", false},
        {"WrenboltConfig.exe /NOLIMIT ", "/NOLIMIT ", false},
        {"WrenboltConfig.exe /NOLIMIT x", "/NOLIMIT x", false},
        {"WrenboltConfig.exe NOLIMIT", "NOLIMIT", false},
        {"WrenboltConfig.exe /NOLIMITS", "/NOLIMITS", false},
        {"WrenboltConfig.exe \"/NOLIMIT\"", "\"/NOLIMIT\"", false},
        // Only ASCII letters fold: a Latin-1 letter is not an "I".
        {"WrenboltConfig.exe /NOL\xCDMIT", "/NOL\xCDMIT", false},
        {"\"unclosed name /NOLIMIT", "", false},
    };
    for (const LineCase& c : cases) {
        const std::string_view arguments = argumentsAfterProgramName(c.line);
        EXPECT_EQ(arguments, c.arguments) << c.line;
        EXPECT_EQ(isNoLimitOption(arguments), c.noLimit) << c.line;
    }
}

}  // namespace
}  // namespace wb
