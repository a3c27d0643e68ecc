#include <gtest/gtest.h>

#include <cstddef>
#include <iterator>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/cli_context.h"
#include "config/record_json.h"
#include "support/cli_runner.h"

namespace wb {
namespace {

using test::runWrenbolt;

// Every outcome, in the order of its declaration, and the exit code it
// gives: the commands decide on this, never on the wording of a status text.
TEST(CliApp, OutcomeExitCodes) {
    const struct {
        Outcome outcome;
        int exitCode;
    } cases[] = {
        {Outcome::None, 1},
        {Outcome::VersionRead, 0},
        {Outcome::ConfigRead, 0},
        {Outcome::ConfigWritten, 0},
        {Outcome::PortFailed, 1},
        {Outcome::NotFound, 1},
        {Outcome::Incompatible, 1},
        {Outcome::ModelMismatch, 1},
        {Outcome::ConfigNotRead, 1},
        {Outcome::CorruptedEeprom, 1},
        {Outcome::VerifyFailedSize, 1},
        {Outcome::VerifyFailed, 1},
        {Outcome::ReadVersionFirst, 1},
        {Outcome::FileSaved, 0},
        {Outcome::FileLoaded, 0},
        {Outcome::FailedToOpenFile, 1},
        {Outcome::InvalidFileFormat, 1},
        {Outcome::FailedToReadData, 1},
        {Outcome::FailedToWriteData, 1},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(static_cast<std::size_t>(cases[i].outcome), i) << "one row per outcome, in order";
        EXPECT_EQ(exitCodeFor(cases[i].outcome), cases[i].exitCode);
    }
    EXPECT_EQ(std::size(cases), static_cast<std::size_t>(Outcome::FailedToWriteData) + 1);
}

TEST(CliApp, ExitCodes) {
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string errHas;
    } cases[] = {
        {{"--help"}, 0, ""},
        {{"--version"}, 0, ""},
        {{"defaults", "--help"}, 0, ""},
        {{}, 2, "command"},
        {{"frobnicate"}, 2, "frobnicate"},
        {{"--frobnicate"}, 2, "--frobnicate"},
        {{"defaults", "--jsn"}, 2, "--jsn"},
        {{"defaults", "extra"}, 2, "extra"},
    };
    for (const auto& c : cases) {
        std::string line;
        for (const auto& a : c.args) line += a + " ";
        SCOPED_TRACE(line);
        const auto result = runWrenbolt(c.args);
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_NE(result.err.find(c.errHas), std::string::npos) << result.err;
        if (c.exitCode == 0) {
            EXPECT_EQ(result.err, "");
        }
        if (c.exitCode == 2) {
            EXPECT_EQ(result.out, "");
        }
    }
    EXPECT_EQ(runWrenbolt({"--version"}).out, "wrenbolt " WB_VERSION "\n");
}

// A result that never reached its reader is no success.
TEST(CliApp, OutputThatCannotBeWrittenFails) {
    struct FullDisk : std::streambuf {
        int overflow(int) override { return traits_type::eof(); }
    } full;
    std::ostream out(&full);
    std::ostringstream err;
    for (const std::vector<const char*>& argv :
         {std::vector<const char*>{"wrenbolt", "defaults"}, std::vector<const char*>{"wrenbolt", "defaults", "--json"}}) {
        err.str("");
        out.clear();
        EXPECT_EQ(runCli(static_cast<int>(argv.size()), argv.data(), out, err), kExitFailed);
        EXPECT_EQ(err.str().rfind("Could not write the output", 0), 0u) << err.str();
    }
}

TEST(CliApp, HelpListsEveryCommandWithItsLine) {
    const auto result = runWrenbolt({"--help"});
    EXPECT_NE(result.out.find("defaults"), std::string::npos);
    for (const std::string command : {"defaults", "show", "encode"}) {
        const auto help = runWrenbolt({command, "--help"});
        EXPECT_EQ(help.exitCode, 0) << command;
        EXPECT_NE(help.out.find("wrenbolt " + command), std::string::npos) << help.out;
    }
}

TEST(CliDefaults, Table) {
    const auto result = runWrenbolt({"defaults"});
    ASSERT_EQ(result.exitCode, 0);
    const std::string expected =
        "Model:           none\n"
        "Text:            \" WRENBOLT \"\n"
        "Speed:           20 WPM\n"
        "Tone:            26\n"
        "Tone Speed:      50 ms\n"
        "Tones Duration:  15 sec\n"
        "Pre Tones Delay: 0 sec\n"
        "Loop Time:       30 sec\n"
        "TX Frequency:    146.565 MHz\n"
        "RX Frequency:    146.565 MHz\n"
        "Calibration:     0.000 %\n"
        "Tones:           1, 20, 1, 20, 1, 11, 11, 11, 1, 20,\n"
        "                 1, 20, 1, 11, 11, 11, 1, 23, 1, 23,\n"
        "                 1, 16, 16, 16, 1, 23, 1, 23, 1, 16,\n"
        "                 16, 16, 1, 26, 1, 26, 1, 20, 20, 20,\n"
        "                 1, 26, 1, 26, 1, 20, 20, 20, 1, 28,\n"
        "                 1, 28, 1, 23, 23, 23, 1, 28, 1, 28,\n"
        "                 1, 23, 23, 23\n"
        "Tone Count:      64\n"
        "Enable LED:      yes\n"
        "Random Tones:    no\n"
        "Random Speed:    no\n"
        "Random Morse:    no\n"
        "Auto Start:      no\n"
        "Disable RX:      no\n"
        "Unlock Code:     5862\n"
        "Initial Delay:   0 min\n"
        "Total Runtime:   0 min\n";
    EXPECT_EQ(result.out, expected);
}

TEST(CliDefaults, JsonReadsBackAsTheFactoryRecord) {
    const auto result = runWrenbolt({"defaults", "--json"});
    ASSERT_EQ(result.exitCode, 0);
    DeviceConfig back;
    back.morseText.clear();
    back.tones = {};
    back.txFrequencyMHz = 0;
    ASSERT_FALSE(applyJsonText(result.out, back));
    back.tones = DeviceConfig{}.tones;  // only the first 64 travel
    EXPECT_TRUE(back == DeviceConfig{});
    EXPECT_NE(result.out.find("\"txFrequencyMHz\": 146.565002,\n"), std::string::npos);
}

}  // namespace
}  // namespace wb
