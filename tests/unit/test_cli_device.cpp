// wrenbolt version, read and write against a simulated beacon on a
// virtual clock: outputs, progress lines, files, and exit codes.
#include <gtest/gtest.h>

#include <csignal>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#endif

#include "cli/console_interrupts.h"
#include "cli/exchange_driver.h"
#include "cli/progress_display.h"
#include "exchange/device_exchange.h"
#include "file/config_file.h"
#include "file/file_texts.h"
#include "file/input_file.h"
#include "image/stored_record.h"
#include "plan/plan_report.h"
#include "sim/simulated_beacon.h"
#include "support/sim_device_links.h"
#include "support/temp_dir.h"
#include "util/csv_cells.h"
#include "util/sha256.h"

namespace wb {
namespace {

using test::runDeviceCommand;
using test::SimDeviceLinks;

// ctest runs the cases in parallel processes: each process names its own files.
std::filesystem::path scratchFile(const std::string& name) {
    static const std::string tag = std::to_string(std::random_device{}());
    return std::filesystem::temp_directory_path() / ("wrenbolt_cli_device_" + tag + "_" + name);
}

std::vector<std::uint8_t> fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

bool requested(SimulatedBeacon& beacon, BeaconRequestKind kind) {
    for (const BeaconRequest& r : beacon.requests()) {
        if (r.kind == kind) return true;
    }
    return false;
}

TEST(CliDevice, VersionPrintsModelAndReply) {
    SimDeviceLinks links;
    const auto r = runDeviceCommand(links, {"version", "--port", "sim:tarsel"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "model: tarsel\nversion: Wrenbolt-Tarsel v1.07\n");
    EXPECT_EQ(r.err, "Reading Version\nVersion Read : \"Wrenbolt-Tarsel v1.07\r\n\"\n");
    // Seven ticks, each at least 100 ms after the one before.
    EXPECT_GE(links.virtualClock.nowUs(), 700000);
    EXPECT_LT(links.virtualClock.nowUs(), 900000);

    // A reply's escape sequences never reach the terminal; its line end does.
    SimDeviceLinks hostile;
    hostile.options.versionText = "Wrenbolt\x1b]0;TITLE\x07 v2\x9b\r\n";
    const auto h = runDeviceCommand(hostile, {"version", "--port", "sim:basic"});
    EXPECT_EQ(h.exitCode, 0);
    EXPECT_EQ(h.out, "model: basic\nversion: Wrenbolt\\x1b]0;TITLE\\x07 v2\\u009b\n");
    EXPECT_EQ(h.err, "Reading Version\nVersion Read : \"Wrenbolt\\x1b]0;TITLE\\x07 v2\x9b\r\n\"\n");
}

TEST(CliDevice, ReadPrintsJsonAndSavesTheImageAsRead) {
    SimDeviceLinks links;
    const auto path = scratchFile("read.wb1");
    const auto r = runDeviceCommand(links, {"read", "--port", "sim:basic", "--json", "-o", path.string(), "-q"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const auto json = nlohmann::json::parse(r.out);
    EXPECT_EQ(json["model"], "basic");
    EXPECT_EQ(json["morseText"], " WRENBOLT ");
    const auto bytes = fileBytes(path);
    ASSERT_EQ(bytes.size(), 264u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), std::string("WB14\x00\x01\x00\x00", 8));
    EXPECT_TRUE(std::equal(bytes.begin() + 8, bytes.end(), links.beacon().eeprom().begin()));
    std::filesystem::remove(path);
}

TEST(CliDevice, WriteShowsEveryStatusAndStoresTheEdit) {
    SimDeviceLinks links;
    const auto r = runDeviceCommand(links, {"write", "--port", "sim:tarsel", "--set", "morseSpeedWpm=25"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> expected = {"Reading Version", "Reading Config", "Read Config Successful",
                                         "Reading Version", "Writing Config : "};
    for (int stars = 1; stars <= 8; ++stars) expected.push_back("Writing Config : " + std::string(static_cast<std::size_t>(stars), '*'));
    expected.push_back("Verifying Config");
    expected.push_back("Config Written Successfully!");
    EXPECT_EQ(lines(r.err), expected);

    // What the beacon now holds reads back with the coarsened speed.
    const auto read = runDeviceCommand(links, {"read", "--port", "sim:tarsel", "--json", "-q"});
    ASSERT_EQ(read.exitCode, 0);
    EXPECT_EQ(nlohmann::json::parse(read.out)["morseSpeedWpm"], 26);
    EXPECT_EQ(links.beacon().lostBytes(), 0);
}

TEST(CliDevice, DryRunListsChangesAndWritesNothing) {
    SimDeviceLinks links;
    const auto r = runDeviceCommand(
        links, {"write", "--port", "sim:tarsel", "--dry-run", "-q", "--set", "morseSpeedWpm=25", "--set", "morseTone=26"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "morseSpeedWpm: 20 -> 26\n");
    EXPECT_FALSE(requested(links.beacon(), BeaconRequestKind::WriteImage));
    EXPECT_EQ(links.beacon().eeprom(), factoryImage(kTarselModel));

    const auto none = runDeviceCommand(links, {"write", "--port", "sim:tarsel", "--dry-run", "-q"});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_EQ(none.out, "Nothing would change.\n");
}

TEST(CliDevice, BackupWrittenBackRestoresTheEeprom) {
    SimDeviceLinks links;
    const auto path = scratchFile("backup.wb1");
    const auto edit = runDeviceCommand(
        links, {"write", "--port", "sim:basic", "-q", "--backup", path.string(), "--set", "morseText=CQ TEST"});
    ASSERT_EQ(edit.exitCode, 0) << edit.err;
    const ConfigImage factory = factoryImage(kBasicModel);
    ASSERT_NE(links.beacon().eeprom(), factory);
    const auto backup = fileBytes(path);
    ASSERT_EQ(backup.size(), 264u);
    EXPECT_TRUE(std::equal(backup.begin() + 8, backup.end(), factory.begin()));

    const auto restore = runDeviceCommand(links, {"write", "--port", "sim:basic", "-q", path.string()});
    ASSERT_EQ(restore.exitCode, 0) << restore.err;
    EXPECT_EQ(links.beacon().eeprom(), factory);
    std::filesystem::remove(path);
}

TEST(CliDevice, TruncationIsRefusedUnlessAllowed) {
    const std::string longText = "morseText=" + std::string(61, 'K');
    SimDeviceLinks links;
    const auto refused = runDeviceCommand(links, {"write", "--port", "sim:tarsel", "-q", "--set", longText});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("The Morse Text or Tones are too long and have been tuncated.  "), std::string::npos);
    EXPECT_FALSE(requested(links.beacon(), BeaconRequestKind::WriteImage));

    const auto allowed = runDeviceCommand(links, {"write", "--port", "sim:tarsel", "-q", "--allow-truncate", "--set", longText});
    EXPECT_EQ(allowed.exitCode, 0) << allowed.err;
    const auto read = runDeviceCommand(links, {"read", "--port", "sim:tarsel", "--json", "-q"});
    EXPECT_EQ(nlohmann::json::parse(read.out)["morseText"], std::string(60, 'K'));
}

TEST(CliDevice, TraceLogsEveryByteWithATimestamp) {
    SimDeviceLinks links;
    const auto path = scratchFile("trace.txt");
    const auto r = runDeviceCommand(links, {"version", "--port", "sim:basic", "-q", "--trace", path.string()});
    ASSERT_EQ(r.exitCode, 0);
    std::ifstream in(path);
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto traced = lines(log);
    ASSERT_GE(traced.size(), 4u);
    EXPECT_EQ(traced[0].substr(0, 15), "     0.000000 o");
    EXPECT_NE(log.find(" write 1B\n"), std::string::npos);
    EXPECT_NE(log.find(" write 56\n"), std::string::npos);
    EXPECT_NE(log.find(" read 57\n"), std::string::npos);  // 'W'
    EXPECT_NE(log.find(" read -\n"), std::string::npos);
    EXPECT_NE(log.find(" close ok\n"), std::string::npos);
    in.close();
    std::filesystem::remove(path);
}

// Files the commands refuse before they touch the beacon or any output:
// one file in two roles, and inputs that are not bounded regular files.
TEST(CliDevice, RefusedInputsAndSharedFiles) {
    test::TempDir dir;
    const std::string hunt = dir.file("hunt.wb1");
    ASSERT_EQ(saveImageFile(hunt, factoryImage(kBasicModel)), Outcome::FileSaved);
    const std::vector<std::uint8_t> huntBytes = test::readBytes(hunt);
    const std::string sameHunt = dir.file("same.wb1");
    std::filesystem::create_hard_link(hunt, sameHunt);
    const std::string record = dir.file("record.json");
    test::writeText(record, R"({"unlockCode": 1})");
    const std::string big = dir.file("big.json");
    test::writeText(big, "{\"morseText\": \"" + std::string(kMaxInputFileSize, 'E') + "\"}");
    const std::string deep = dir.file("deep.json");
    test::writeText(deep, std::string(30000, '[') + std::string(30000, ']'));
    std::filesystem::create_directory(dir.file("folder"));
    const std::string fresh = dir.file("fresh.txt");
    const std::string freshAgain = dir.file("folder/../fresh.txt");
    const std::string plan = dir.file("plan.json");
    test::writeText(plan, R"({"model": "basic", "baseFile": "hunt.wb1",
        "beacons": [{"name": "MOE", "set": {"morseText": " MOE "}}]})");
    const auto planSize = std::filesystem::file_size(plan);
    const struct {
        std::vector<std::string> args;
        std::string errHas;
    } cases[] = {
        {{"write", hunt, "--backup", hunt}, "the input file and --backup name the same file"},
        {{"write", hunt, "--backup", sameHunt}, "the input file and --backup"},
        {{"write", hunt, "--trace", sameHunt}, "the input file and --trace"},
        {{"write", "--config", record, "--trace", record}, "--config and --trace"},
        {{"verify", hunt, "--trace", sameHunt}, "the input file and --trace"},
        {{"verify"}, "verify needs a .wb1 file, --config or --set"},
        {{"write", "--backup", fresh, "--trace", freshAgain}, "--backup and --trace"},
        {{"read", "-o", fresh, "--trace", freshAgain}, "-o and --trace"},
        {{"encode", "--model", "basic", "--config", record, "-o", record}, "--config and -o"},
        {{"encode", "--model", "basic", "--config", big, "-o", fresh}, "is larger than 1 MiB"},
        {{"write", "--config", big}, "is larger than 1 MiB"},
        {{"write", "--config", deep}, "--config: the JSON record nests deeper than 64 levels"},
        // A backup is the one copy of what the beacon held.
        {{"write", hunt, "--backup", record}, "--backup: " + record + " exists already; name a new file"},
        {{"encode", "--model", "basic", "--config", dir.file("folder"), "-o", fresh}, "is not a regular file"},
        {{"plan", "run", plan, "--report", plan}, "the plan and --report name the same file"},
        {{"plan", "run", plan, "--report", sameHunt}, "its baseFile and --report"},
        {{"plan", "audit", plan, "--report", sameHunt}, "its baseFile and --report"},
        {{"plan", "run", plan, "--report", fresh, "--backup-dir", freshAgain}, "--report and --backup-dir"},
        {{"plan", "run", plan, "--report", fresh, "--trace", freshAgain}, "--report and --trace"},
        {{"plan", "run", big}, "The plan \"" + big + "\" is larger than 1 MiB"},
        {{"plan", "run", dir.file("folder")}, "is not a regular file"},
#ifndef _WIN32
        {{"write", "--config", "/dev/zero"}, "\"/dev/zero\" is not a regular file"},
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.errHas);
        SimDeviceLinks links;
        std::vector<std::string> args = c.args;
        if (args[0] != "encode") args.insert(args.end(), {"--port", "sim:basic", "-q"});
        const auto r = runDeviceCommand(links, args);
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_NE(r.err.find(c.errHas), std::string::npos) << r.err;
        EXPECT_FALSE(links.used());
        EXPECT_EQ(test::readBytes(hunt), huntBytes);
        EXPECT_FALSE(std::filesystem::exists(fresh));
        EXPECT_EQ(std::filesystem::file_size(plan), planSize);
    }
    // Two different files, both there already, are two roles.
    SimDeviceLinks links;
    const auto r = runDeviceCommand(links, {"write", hunt, "--trace", record, "--port", "sim:basic", "-q"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::vector<std::uint8_t> trace = test::readBytes(record);
    EXPECT_NE(std::string(trace.begin(), trace.end()).find(" write 1B\n"), std::string::npos);
}

// What can never be a serial port is refused at once, with the reason,
// rather than waited for (a plan) or called absent.
TEST(CliDevice, ImpossiblePortsAreRefusedAtOnce) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.file("folder"));
    const std::string plan = dir.file("plan.json");
    test::writeText(plan, R"({"model": "basic", "beacons": [{"name": "MOE", "set": {"morseText": "MOE"}}]})");
    const struct {
        std::vector<std::string> args;
        std::string errHas;
    } cases[] = {
        {{"plan", "run", plan, "--port", dir.file("folder")}, dir.file("folder") + " is a folder, not a serial port"},
#ifndef _WIN32
        {{"plan", "run", plan, "--port", "/dev/null"}, "/dev/null is a device but not a terminal, so not a serial port"},
        {{"read", "--port", "/dev/tty"}, "/dev/tty is this program's own terminal, not a serial port"},
        {{"version", "--port", "fifo"}, "fifo is a pipe (FIFO), not a serial port"},
#endif
    };
#ifndef _WIN32
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
#endif
    for (const auto& c : cases) {
        SCOPED_TRACE(c.errHas);
        SimDeviceLinks links;
        std::vector<std::string> args = c.args;
        if (args.back() == "fifo") args.back() = dir.file("fifo");
        const auto r = runDeviceCommand(links, args);
        EXPECT_EQ(r.exitCode, 2) << r.err;
        EXPECT_NE(r.err.find(c.errHas), std::string::npos) << r.err;
        EXPECT_FALSE(links.used());
    }
}

// Edits that used to end in a success while the beacon holds, or would
// hold, something else: verify applies --set to a file's record as write
// does, refuses a text its layout would cut, and numbers a layout would
// clamp or cut to other digits are refused on the command line and in
// JSON, naming the range. Coarsening to the layout's step stays a preview.
TEST(CliDevice, WrongSuccessesAreRefused) {
    test::TempDir dir;
    const std::string factory = dir.file("factory.wb1");
    ASSERT_EQ(saveImageFile(factory, factoryImage(kTarselModel)), Outcome::FileSaved);
    const std::string record = dir.file("record.json");
    test::writeText(record, R"({"unlockCode": 12345})");
    const std::string longText = "morseText=" + std::string(61, 'K');
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string outHas;
        std::string errHas;
    } cases[] = {
        {{"verify", factory}, 0, "The beacon holds the file's configuration\n", ""},
        {{"verify", factory, "--set", "morseTone=99"}, 1, "Tone: beacon 26, record 99\n", ""},
        {{"verify", "--set", longText}, 1, "", "Nothing compared; the beacon cannot hold the text or tones as given.\n"},
        {{"verify", "--set", "unlockCode=12345"}, 2, "", "--set unlockCode: out of range 0..9999 for the Tarsel layout\n"},
        {{"write", "--set", "unlockCode=12345"}, 2, "", "--set unlockCode: out of range 0..9999 for the Tarsel layout\n"},
        {{"write", "--config", record}, 2, "", "--config: unlockCode: out of range 0..9999 for the Tarsel layout\n"},
        {{"write", "--set", "rxFrequencyMHz=150"}, 2, "", "--set rxFrequencyMHz: out of range 140.000..149.999 for the Tarsel layout\n"},
        {{"write", "--set", "txFrequencyMHz=139.9"}, 2, "", "--set txFrequencyMHz: out of range 144.000..148.000 unless the limit is lifted\n"},
        {{"write", "--no-limit", "--set", "txFrequencyMHz=139.9"}, 2, "", "out of range 140.000..149.999 for the Tarsel layout\n"},
        {{"write", "--set", "morseSpeedWpm=31"}, 2, "", "--set morseSpeedWpm: out of range 3..30 for the Tarsel layout\n"},
        {{"write", "--dry-run", "--set", "rxFrequencyMHz=149.9994", "--set", "toneSpeedMs=1279"}, 0,
         "toneSpeedMs: 50 -> 1275\nrxFrequencyMHz: 146.565002 -> 149.998993\n", ""},
        // A C1 control (CSI) reaches no terminal raw.
        {{"write", "--dry-run", "--set", "morseText=A\xC2\x9B"}, 0, "morseText: \" WRENBOLT \" -> \"A\\u009b\"\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        SimDeviceLinks links;
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--port", "sim:tarsel", "-q"});
        const auto r = runDeviceCommand(links, args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_NE(r.out.find(c.outHas), std::string::npos) << r.out;
        EXPECT_NE(r.err.find(c.errHas), std::string::npos) << r.err;
        EXPECT_FALSE(requested(links.beacon(), BeaconRequestKind::WriteImage));
    }
}

#ifndef _WIN32
// A disk with room for no more than 100 bytes of any file, as a full one.
class FullDisk {
public:
    FullDisk() {
        ::getrlimit(RLIMIT_FSIZE, &before_);
        rlimit small = before_;
        small.rlim_cur = 100;
        ::setrlimit(RLIMIT_FSIZE, &small);
        // A write past the limit fails with EFBIG instead of ending the process.
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FullDisk() {
        ::setrlimit(RLIMIT_FSIZE, &before_);
        std::signal(SIGXFSZ, previous_);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

private:
    rlimit before_{};
    void (*previous_)(int) = nullptr;
};
#endif

// Every output is saved whole or not at all: one that cannot be saved
// fails the command and leaves what was there; a backup that cannot be
// saved stops the write before a byte goes to the beacon, and a dry run
// saves none; a FIFO without a reader is refused at once, never waited on.
TEST(CliDevice, OutputsAreSavedWholeOrNotAtAll) {
    test::TempDir dir;
    const std::string folder = dir.file("folder");
    std::filesystem::create_directory(folder);
    const std::string missing = dir.file("missing/backup.wb1");
    const std::string plan = dir.file("plan.json");
    test::writeText(plan, R"({"model": "basic", "beacons": [{"name": "MOE", "set": {"morseText": " MOE "}}]})");
    const std::string out = dir.file("out");  // made before each case as it says
    enum class Before { Nothing, OldFile, Fifo };
    const struct {
        std::vector<std::string> args;
        Before before;
        bool diskFull;
        int exitCode;
        std::string err;
    } cases[] = {
        {{"read", "--port", "sim:basic", "-q", "-o", folder}, Before::Nothing, false, 1,
         "Failed to open file: " + folder + "\n"},
        {{"write", "--port", "sim:basic", "-q", "--backup", missing, "--set", "unlockCode=1"}, Before::Nothing, false,
         1, "Failed to open file: " + missing + "\nNo backup, so nothing was written.\n"},
        {{"write", "--port", "sim:basic", "-q", "--dry-run", "--backup", out, "--set", "unlockCode=1"},
         Before::Nothing, false, 0, ""},
#ifndef _WIN32
        {{"version", "--port", "sim:basic", "-q", "--trace", "/dev/full"}, Before::Nothing, false, 1,
         "Could not write the trace file /dev/full: No space left on device\n"},
        {{"version", "--port", "sim:basic", "-q", "--trace", out}, Before::OldFile, true, 1,
         "Could not write the trace file " + out + ": File too large\n"},
        {{"plan", "sheet", plan, "-o", out}, Before::OldFile, true, 1,
         "Could not write the sheet " + out + ": File too large\n"},
        {{"version", "--port", "sim:basic", "-q", "--trace", out}, Before::Fifo, false, 1,
         "Could not write the trace file " + out + ": No such device or address\n"},
        {{"plan", "sheet", plan, "-o", out}, Before::Fifo, false, 1,
         "Could not write the sheet " + out + ": No such device or address\n"},
        {{"plan", "run", plan, "--port", "sim:basic", "-q", "--report", out}, Before::Fifo, false, 1,
         "Could not write the report " + out + ": No such device or address\n"},
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[c.args.size() - 2] + " " + c.err);
        std::filesystem::remove(out);
        if (c.before == Before::OldFile) test::writeText(out, "old");
#ifndef _WIN32
        if (c.before == Before::Fifo) {
            ASSERT_EQ(::mkfifo(out.c_str(), 0644), 0);
        }
#endif
        const std::vector<std::string> entries = dir.entries();
        SimDeviceLinks links;
        test::DeviceCliResult r;
        {
#ifndef _WIN32
            std::optional<FullDisk> full;
            if (c.diskFull) full.emplace();
#endif
            r = runDeviceCommand(links, c.args);
        }
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_EQ(r.err, c.err);
        if (c.args[0] == "read") {
            EXPECT_EQ(r.out, "");
        }
        // A sheet opens no port: there is no beacon to ask.
        if (links.used()) {
            EXPECT_FALSE(requested(links.beacon(), BeaconRequestKind::WriteImage));
            EXPECT_EQ(links.beacon().eeprom(), factoryImage(kBasicModel));
        }
        // Nothing made, nothing left half-made, nothing lost.
        EXPECT_EQ(dir.entries(), entries);
        if (c.before == Before::OldFile) {
            const std::vector<std::uint8_t> old{'o', 'l', 'd'};
            EXPECT_EQ(test::readBytes(out), old);
        }
    }
}

struct ExitCase {
    const char* name;
    std::vector<std::string> args;
    BeaconFault fault;
    int exitCode;
    std::string errHas;
    bool touchesBeacon;
};

class CliDeviceExit : public ::testing::TestWithParam<ExitCase> {};

TEST_P(CliDeviceExit, CodeAndMessage) {
    const ExitCase& c = GetParam();
    SimDeviceLinks links;
    links.options.fault = c.fault;
    const auto r = runDeviceCommand(links, c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    EXPECT_NE(r.err.find(c.errHas), std::string::npos) << r.err;
    EXPECT_EQ(links.used() && !links.beacon().requests().empty(), c.touchesBeacon);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliDeviceExit,
    ::testing::Values(
        ExitCase{"NoSuchPort", {"version", "--port", "COM9"}, BeaconFault::None, 1, "Could not open Com Port COM9", false},
        ExitCase{"NoSuchPortQuiet", {"read", "--port", "COM9", "-q"}, BeaconFault::None, 1, "Could not open Com Port COM9\n", false},
        ExitCase{"Silent", {"version", "--port", "sim:basic", "-q"}, BeaconFault::Silent, 1, "Wrenbolt not found : ()\n", true},
        ExitCase{"Incompatible", {"write", "--port", "sim:tarsel", "-q"}, BeaconFault::IncompatibleFirmware, 1,
                 "Incompatible version (Wrenbolt-Tarsel v0.54\r\n)", true},
        ExitCase{"ShortImage", {"read", "--port", "sim:tarsel"}, BeaconFault::ImageShort, 1, "Corrupted EEPROM\n", true},
        ExitCase{"LineDrop", {"read", "--port", "sim:basic", "-q"}, BeaconFault::LineDrop, 1,
                 "Read: Failed 1\nThe port was lost: the device is gone (adapter unplugged or line hung up)\n", true},
        ExitCase{"SlowStartStillWorks", {"read", "--port", "sim:basic"}, BeaconFault::SlowStart, 0, "Read Config Successful\n", true},
        ExitCase{"MissingPort", {"read"}, BeaconFault::None, 2, "--port", false},
        ExitCase{"FileAndConfig", {"write", "--port", "sim:basic", "a.wb1", "--config", "b.json"}, BeaconFault::None, 2, "", false},
        ExitCase{"UnknownKey", {"write", "--port", "sim:basic", "--set", "nonsense=1"}, BeaconFault::None, 2, "nonsense", false},
        ExitCase{"MissingFile", {"write", "--port", "sim:basic", "no-such-file.wb1"}, BeaconFault::None, 1, "no-such-file.wb1", false},
        ExitCase{"UnwritableTrace", {"version", "--port", "sim:basic", "--trace", "/no/such/dir/t.txt"}, BeaconFault::None, 1,
                 "trace", false}),
    [](const ::testing::TestParamInfo<ExitCase>& param) { return std::string(param.param.name); });

// An adapter pulled (a line dropped) 100 bytes into a write: nothing more
// goes to the dead port, the first failure is reported, with what reached
// the beacon and how to put its backup back.
TEST(CliDevice, PortLostMidWriteStopsAtOnceAndSaysHowToRestore) {
    const auto backup = scratchFile("lost-backup.wb1");
    SimDeviceLinks links;
    links.options.fault = BeaconFault::LineDrop;
    links.options.dropAfterBytes = 256 + 100;  // the backup read, then the write
    const auto r = runDeviceCommand(links, {"write", "--port", "sim:basic", "--backup", backup.string(), "--set",
                                            "morseText=CQ TEST DE HUNT", "--set", "tones=1,2,3,4,5,6,7,8,9,10,11"});
    EXPECT_EQ(r.exitCode, kExitFailed) << r.err;
    EXPECT_NE(r.err.find("Writing Config : ***\nWrite: Failed 1\n"
                         "The port was lost: the device is gone (adapter unplugged or line hung up)\n"
                         "Port lost: 100 of 256 bytes written. The beacon holds the start of the new configuration "
                         "and the rest of the old one.\nTo restore it: wrenbolt write --port sim:basic " +
                         backup.string() + "\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("Config not read"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("*****"), std::string::npos) << r.err;
    // The beacon took exactly the bytes reported; the backup holds the rest.
    const ConfigImage old = factoryImage(kBasicModel);
    const ConfigImage now = links.beacon().eeprom();
    EXPECT_TRUE(std::equal(now.begin() + 100, now.end(), old.begin() + 100));
    EXPECT_NE(now, old);
    ConfigImage saved{};
    ASSERT_EQ(loadImageFile(backup.string(), saved), Outcome::FileLoaded);
    EXPECT_EQ(saved, old);
    std::filesystem::remove(backup);
}

// Ctrl-C as the tests press it: the n-th interrupt comes when the n-th
// condition holds (looked at only once the one before has come).
class ScriptedInterrupts : public InterruptSource {
public:
    explicit ScriptedInterrupts(std::vector<std::function<bool()>> when) : when_(std::move(when)) {}
    int count() const override {
        while (fired_ < when_.size() && when_[fired_]()) ++fired_;
        return static_cast<int>(fired_);
    }

private:
    std::vector<std::function<bool()>> when_;
    mutable std::size_t fired_ = 0;
};

struct InterruptCase {
    const char* name;
    // When each Ctrl-C comes: at this many image bytes taken by the beacon;
    // -1: while the beacon is being identified; 256: once it has them all.
    std::vector<std::int32_t> atBytes;
    int exitCode;
    std::string errHas;
    // Image bytes the beacon holds from the new image (the rest stay old).
    std::int32_t bytesWritten;
    // The beacon was set to TX 143 MHz with the limit lifted.
    bool outOfBand = false;
};

class CliDeviceInterrupt : public ::testing::TestWithParam<InterruptCase> {};

TEST_P(CliDeviceInterrupt, TwoStageStop) {
    const InterruptCase& c = GetParam();
    const auto backup = scratchFile("interrupt-backup.wb1");
    // A long tone list changes the image well past the bytes where the
    // cases stop.
    std::string tones = "tones=30";
    for (int tone = 32; tone <= 250; tone += 2) {
        // (not "," + to_string: GCC 12 warns falsely about that one)
        tones += ',';
        tones += std::to_string(tone);
    }
    const std::vector<std::string> write = {"write", "--port", "sim:basic", "--backup", backup.string(),
                                            "--set", "morseText=CQ TEST DE HUNT", "--set", tones};
    DeviceConfig outOfBand = decodedRecord(factoryImage(kBasicModel), kBasicModel, DeviceConfig{});
    outOfBand.txFrequencyMHz = 143.0f;
    const ConfigImage oldImage =
        c.outOfBand ? storedRecord(outOfBand, CodecContext{true, {}}).image : factoryImage(kBasicModel);
    SimDeviceLinks reference;
    reference.options.eeprom = oldImage;
    ASSERT_EQ(runDeviceCommand(reference, write).exitCode, 0);
    const ConfigImage newImage = reference.beacon().eeprom();
    // A backup never replaces a file: the run below makes its own.
    std::filesystem::remove(backup);

    SimDeviceLinks links;
    links.options.eeprom = oldImage;
    std::vector<std::function<bool()>> when;
    for (std::int32_t at : c.atBytes) {
        when.push_back([&links, at] {
            if (!links.used()) return false;
            if (at < 0) return links.virtualClock.nowUs() > 300000;
            if (at == 256) return requested(links.beacon(), BeaconRequestKind::WriteDone);
            return links.beacon().writeProgress() >= at;
        });
    }
    ScriptedInterrupts interrupts(when);
    const auto r = runDeviceCommand(links, write, &interrupts);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    EXPECT_NE(r.err.find(c.errHas), std::string::npos) << r.err;
    EXPECT_FALSE(links.comm().isOpen());
    const auto n = static_cast<std::size_t>(c.bytesWritten);
    ConfigImage expected = oldImage;
    std::copy(newImage.begin(), newImage.begin() + static_cast<std::ptrdiff_t>(n), expected.begin());
    EXPECT_EQ(links.beacon().eeprom(), expected);
    // A mixed image differs from both, or the case proves nothing.
    if (n > 0 && n < kImageSize) {
        EXPECT_NE(expected, newImage);
        EXPECT_NE(expected, oldImage);
    }

    // The restore command it printed puts the old image back (after the
    // seconds a user takes, in which the beacon gives up the broken write).
    // A beacon set outside the band keeps its TX only with the limit lifted.
    const std::string restore = std::string("To restore it: wrenbolt write --port sim:basic ") +
                                (c.outOfBand ? "--no-limit " : "") + backup.string() + "\n";
    EXPECT_EQ(r.err.find(restore) != std::string::npos, n > 0 && n < kImageSize) << r.err;
    // A stop before the image went out may come before the backup, too.
    if (n > 0) {
        links.virtualClock.advanceUs(5000000);
        std::vector<std::string> again{"write", "--port", "sim:basic", "-q", backup.string()};
        if (c.outOfBand) again.insert(again.begin() + 3, "--no-limit");
        ASSERT_EQ(runDeviceCommand(links, again).exitCode, 0);
        EXPECT_EQ(links.beacon().eeprom(), oldImage);
    }
    std::filesystem::remove(backup);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliDeviceInterrupt,
    ::testing::Values(
        InterruptCase{"OneWhileSendingFinishesTheWrite", {96}, 0,
                      "Writing Config : ***\nStopping now would leave the beacon half-written (96 of 256 bytes written)."
                      "\nThe write finishes in about 3 seconds; press Ctrl-C again to stop anyway.\n"
                      "Writing Config : ****\n",
                      256},
        InterruptCase{"OneWhileSendingEndsVerified", {200}, 0,
                      "\nConfig Written Successfully!\nWrite finished and verified before stopping.\n", 256},
        InterruptCase{"SecondStopsAtTheNextByte", {96, 100}, 130,
                      "stop anyway.\nStopped: 100 of 256 bytes written. The beacon holds the start of the new configuration "
                      "and the rest of the old one.\n",
                      100},
        InterruptCase{"TwoAtOnceStopWithoutWarning", {97, 97}, 130, "Writing Config : ***\nStopped: 97 of 256", 97},
        InterruptCase{"OutOfBandBeaconRestoredWithTheLimitLifted", {97, 97}, 130, "Stopped: 97 of 256", 97, true},
        InterruptCase{"SecondAfterTheLastByte", {250, 256}, 130,
                      "Writing Config : ********\nStopped: 256 of 256 bytes written, not verified.\n", 256},
        InterruptCase{"OneBeforeTheImageStopsAtOnce", {-1}, 130,
                      "Reading Version\nStopped; nothing was written to the beacon.\n", 0}),
    [](const ::testing::TestParamInfo<InterruptCase>& param) { return std::string(param.param.name); });

TEST(CliDevice, DriverTicksEveryHundredMillisecondsUntilIdle) {
    SimDeviceLinks links;
    CommApi& comm = links.linkFor("sim:basic");
    SerialPort port(comm);
    port.setPortName("sim:basic");
    BeaconDevice device;
    startOperation(device, port, ExchangeState::ReadVersion);
    std::vector<std::int64_t> ends;
    const std::int32_t ticks = runUntilIdle(device, port, links.virtualClock,
                                            [&](const BeaconDevice&) { ends.push_back(links.virtualClock.nowUs()); });
    EXPECT_EQ(ticks, 7);
    EXPECT_EQ(device.statusText, "Version Read : \"Wrenbolt v2.1\r\n\"");
    // Collecting ticks overrun the period (one 103 ms time-out each), so
    // each follows the last at once; none comes sooner than 100 ms.
    for (std::size_t i = 1; i < ends.size(); ++i) EXPECT_GE(ends[i] - ends[i - 1], 100000);
    EXPECT_EQ(runUntilIdle(device, port, links.virtualClock, nullptr), 0);
}

TEST(CliDevice, TerminalProgressRedrawsOneBar) {
    VirtualClock clock;
    std::ostringstream out;
    ProgressDisplay display(out, ProgressDisplay::Mode::Terminal, clock);
    BeaconDevice device;
    device.statusText = "Reading Version";
    display.update(device);
    device.exchangeState = ExchangeState::WritingConfig;
    device.statusText = "Writing Config : ";
    display.update(device);
    for (int chunk = 1; chunk <= 8; ++chunk) {
        clock.advanceUs(700000);
        device.images.writePosition = 32 * chunk;
        device.statusText += "*";
        display.update(device);
    }
    device.exchangeState = ExchangeState::VerifyingConfig;
    device.statusText = "Verifying Config";
    display.update(device);
    const std::string text = out.str();
    EXPECT_EQ(text.substr(0, 16), "Reading Version\n");
    EXPECT_NE(text.find("\rWriting Config [................................]   0%    0.0 s"), std::string::npos);
    EXPECT_NE(text.find("\rWriting Config [################................]  50%    2.8 s"), std::string::npos);
    EXPECT_NE(text.find("] 100%    5.6 s\nVerifying Config\n"), std::string::npos);
    EXPECT_EQ(text.find("Writing Config : "), std::string::npos);
}

// `wrenbolt plan run` against a simulated fleet on the virtual clock: the
// Basic in the line is refused, the three Tarsels get their entries, the
// report has a row per attempt, and a Ctrl-C during the second write lets
// it finish and ends the run there.
TEST(CliPlan, RunProgramsTheFleetAndReports) {
    const auto folder = scratchFile("plan");
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string planPath = (folder / "hunt.json").string();
    std::ofstream(planPath) << R"({"model": "tarsel", "base": {"loopTimeSec": 60}, "beacons": [
        {"name": "MOE", "set": {"morseText": " MOE "}},
        {"name": "MOI", "set": {"morseText": " MOI "}},
        {"name": "MOS", "set": {"morseText": " MOS "}}]})";
    // Typed with forward slashes, which Windows takes too: the backups
    // beside it are still named with the system's own separator.
    const std::string report = (folder / "report.csv").generic_string();

    SimDeviceLinks links;
    const auto result = runDeviceCommand(
        links, {"plan", "run", planPath, "--port", "sim:fleet=tarsel,basic,tarsel,tarsel", "--report", report});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const auto err = lines(result.err);
    EXPECT_EQ(err.front(), "Connect beacon MOE (1 of 3)");
    EXPECT_EQ(err.back(), "3 of 3 beacons programmed");
    const auto reportBytes = fileBytes(report);
    const auto rows = lines(std::string(reportBytes.begin(), reportBytes.end()));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], "time,name,version,status,sha256,backup");
    EXPECT_NE(rows[2].find(",MOI,Wrenbolt v2.1,Wrong model: a Basic beacon for a Tarsel plan; not written,,"),
              std::string::npos)
        << rows[2];
    const auto& beacons = links.fleet().beacons();
    ASSERT_EQ(beacons.size(), 4u);
    EXPECT_EQ(beacons[1]->eeprom(), factoryImage(kBasicModel));
    const std::vector<std::string> names{"MOE", "MOI", "MOS"};
    for (std::size_t i = 0; i < 3; ++i) {
        const ConfigImage& stored = beacons[i == 0 ? 0 : i + 1]->eeprom();
        EXPECT_NE(rows[i == 0 ? 1 : i + 2].find("," + names[i] + ",Wrenbolt-Tarsel v1.07,Config Written Successfully!," +
                                                 sha256Hex(stored) + "," + (folder / (names[i] + "-before.wb1")).string()),
                  std::string::npos)
            << rows[i == 0 ? 1 : i + 2];
    }

    // Ctrl-C while the second beacon's image goes out.
    SimDeviceLinks stopped;
    ScriptedInterrupts ctrlC({[&stopped] {
        return stopped.used() && stopped.fleet().beacons().size() == 2 &&
               stopped.fleet().beacons()[1]->requests().size() >= 4;
    }});
    const auto cut = runDeviceCommand(stopped, {"plan", "run", planPath, "--port", "sim:tarsel:fleet=3", "-q",
                                                "--backup-dir", (folder / "cut").string()},
                                      &ctrlC);
    EXPECT_EQ(cut.exitCode, kExitInterrupted) << cut.err;
    const auto cutErr = lines(cut.err);
    ASSERT_GE(cutErr.size(), 3u);
    EXPECT_EQ(cutErr.front().rfind("Stopping now would leave the beacon half-written (", 0), 0u);
    EXPECT_EQ(cutErr[cutErr.size() - 2], "2 of 3 beacons programmed");
    EXPECT_EQ(cutErr.back(), "Write finished and verified before stopping.");
    EXPECT_EQ(stopped.fleet().beacons().size(), 2u);

    // A rerun appends to the report; a file that is no report is left alone.
    // A row that a crash cut inside a quoted cell is closed first, or it
    // would take in every later row.
    std::ofstream(report, std::ios::app | std::ios::binary) << "2026-05-17T08:30:05Z,\"MO";
    SimDeviceLinks again;
    const auto rerun = runDeviceCommand(again, {"plan", "run", planPath, "--port", "sim:tarsel:fleet=3", "-q",
                                                "--report", report});
    EXPECT_EQ(rerun.exitCode, 0) << rerun.err;
    const auto appended = fileBytes(report);
    const auto allRows = lines(std::string(appended.begin(), appended.end()));
    ASSERT_EQ(allRows.size(), 9u);
    EXPECT_EQ(std::vector<std::string>(allRows.begin(), allRows.begin() + 5), rows);
    const auto cells = parseCsv(std::string(appended.begin(), appended.end()));
    ASSERT_EQ(cells.size(), 9u);
    EXPECT_EQ(cells[5], (std::vector<std::string>{"2026-05-17T08:30:05Z", "MO"}));
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(cells[6 + i].size(), 6u);
        EXPECT_EQ(cells[6 + i][1], names[i]);
    }
    // Taken already: the backups of the first run, and a link to nowhere.
    EXPECT_NE(allRows[6].find("MOE-before-2.wb1"), std::string::npos) << allRows[6];
    const std::string other = (folder / "other.csv").string();
    std::ofstream(other) << "name,notes\nMOE,keep\n";
    const auto otherBytes = fileBytes(other);
    SimDeviceLinks refused;
    const auto wrongHeader = runDeviceCommand(refused, {"plan", "run", planPath, "--port", "sim:tarsel", "-q",
                                                        "--report", other});
    EXPECT_EQ(wrongHeader.exitCode, 1);
    EXPECT_NE(wrongHeader.err.find("is not a plan report"), std::string::npos) << wrongHeader.err;
    EXPECT_FALSE(refused.used());
    EXPECT_EQ(fileBytes(other), otherBytes);
    // An audit keeps its rows by the same rule, and no plan run's report is its own.
    SimDeviceLinks audited;
    const auto auditInto = runDeviceCommand(audited, {"plan", "audit", planPath, "--port", "sim:tarsel", "-q",
                                                      "--report", report});
    EXPECT_EQ(auditInto.exitCode, 1);
    EXPECT_NE(auditInto.err.find("is not an audit report"), std::string::npos) << auditInto.err;
    EXPECT_FALSE(audited.used());
    EXPECT_EQ(fileBytes(report), appended);
#ifndef _WIN32
    const auto linkDir = folder / "links";
    std::filesystem::create_directories(linkDir);
    std::filesystem::create_symlink(folder / "elsewhere.wb1", linkDir / "MOE-before.wb1");
    SimDeviceLinks linked;
    const auto dangling = runDeviceCommand(linked, {"plan", "run", planPath, "--port", "sim:tarsel:fleet=3", "-q",
                                                    "--backup-dir", linkDir.string()});
    EXPECT_EQ(dangling.exitCode, 0) << dangling.err;
    EXPECT_FALSE(std::filesystem::exists(folder / "elsewhere.wb1"));
    EXPECT_TRUE(std::filesystem::is_regular_file(linkDir / "MOE-before-2.wb1"));
#endif
    std::filesystem::remove_all(folder);
}

// A firmware may answer the version request with any byte: the audit's
// JSON carries it as text, as the version command prints it.
TEST(CliPlan, AuditJsonTakesAnyVersionByte) {
    const auto planPath = scratchFile("audit-version.json");
    std::ofstream(planPath) << R"({"model": "tarsel", "beacons": [{"name": "W"}]})";
    SimDeviceLinks links;
    links.options.model = kTarselModel;
    links.options.versionText = "Wrenbolt-Tarsel v1.07\xB0\r\n";
    const auto r = runDeviceCommand(links, {"plan", "audit", planPath.string(), "--port", "sim:tarsel", "-q", "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\"version\": \"Wrenbolt-Tarsel v1.07\xC2\xB0\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"ok\": true"), std::string::npos) << r.out;
    std::filesystem::remove(planPath);
}

// A stop describes the beacon on the cable now, and a read-back cut short
// is the user's interruption, not the beacon's fault.
TEST(CliPlan, StopsDescribeTheBeaconOnTheCable) {
    const auto folder = scratchFile("plan-stops");
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string planPath = (folder / "hunt.json").string();
    std::ofstream(planPath) << R"({"model": "tarsel", "beacons": [
        {"name": "MOE", "set": {"morseText": " MOE "}}, {"name": "MOI", "set": {"morseText": " MOI "}}]})";
    const struct {
        const char* name;
        const char* port;
        std::function<bool(SimDeviceLinks&)> when;
        std::string last;       // the last line on stderr
        std::string rowStatus;  // the report's last status; empty: one row only, MOE's
    } cases[] = {
        {"while the next beacon is identified", "sim:tarsel:fleet=2",
         [](SimDeviceLinks& l) { return l.fleet().beacons().size() == 2; },
         "Stopped; nothing was written to the beacon.", ""},
        // One beacon that stays on the cable.
        {"while a verified beacon waits for removal", "sim:tarsel",
         [](SimDeviceLinks& l) {
             static std::int64_t doneUs = -1;
             if (doneUs < 0 && requested(l.beacon(), BeaconRequestKind::WriteDone)) doneUs = l.virtualClock.nowUs();
             return doneUs >= 0 && l.virtualClock.nowUs() > doneUs + 5000000;
         },
         "Stopped; beacon MOE on the cable was written and verified.", ""},
        {"while verifying", "sim:tarsel:fleet=2",
         [](SimDeviceLinks& l) {
             return l.fleet().beacons().size() == 1 && requested(*l.fleet().beacons()[0], BeaconRequestKind::WriteDone);
         },
         "Stopped: 256 of 256 bytes written, not verified.", "Interrupted while verifying: written, not verified"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string report = (folder / (std::string(c.name) + ".csv")).string();
        SimDeviceLinks links;
        bool fired = false;
        ScriptedInterrupts ctrlC({[&] { return fired = fired || (links.used() && c.when(links)); }});
        // Stopped at once: outside the image, the first Ctrl-C needs no second.
        const auto r = runDeviceCommand(links, {"plan", "run", planPath, "--port", c.port, "-q",
                                                "--report", report, "--backup-dir", folder.string()},
                                        &ctrlC);
        EXPECT_EQ(r.exitCode, kExitInterrupted) << r.err;
        EXPECT_EQ(lines(r.err).back(), c.last) << r.err;
        EXPECT_EQ(r.err.find("not programmed"), std::string::npos) << r.err;
        const auto bytes = fileBytes(report);
        const auto rows = lines(std::string(bytes.begin(), bytes.end()));
        ASSERT_GE(rows.size(), 2u);
        if (c.rowStatus.empty()) {
            EXPECT_NE(rows.back().find("Config Written Successfully!"), std::string::npos) << rows.back();
        } else {
            EXPECT_NE(rows.back().find(c.rowStatus), std::string::npos) << rows.back() << '\n' << r.err;
        }
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace wb
