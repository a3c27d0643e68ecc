// wrenbolt-beacon-sim: plays one beacon on a pseudo-terminal, for end-to-end
// tests and demos of the programs that talk to a real one. With --fleet or
// --fleet-models it plays the beacons of a hunt, one after another on the
// same cable: after a whole image has been written and read back (or the
// line dropped) the beacon is removed, and 6 s later the next one is
// connected, fresh from the factory.
//
// Prints the slave side's path on stdout (one line), logs every request on
// stderr with the seconds since start, and runs until SIGTERM, SIGINT or
// SIGHUP; with --watch-stdin also until its standard input ends, so that a
// test that dies takes its server with it. On the way out it writes the
// EEPROM to --dump and removes the --link symlink (or points it back where
// it pointed before); a fleet's images go to DUMP's name with -1, -2, ...
// before its extension, one file for each beacon that was connected.

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "clock/clock.h"
#include "file/config_file.h"
#include "image/model_table.h"
#include "sim/server/pty_server.h"
#include "sim/simulated_beacon.h"
#include "sim/simulated_fleet.h"

namespace {

volatile std::sig_atomic_t gStop = 0;

extern "C" void onSignal(int) { gStop = 1; }

void installSignals() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: the poll returns at once
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A version text from the command line: \r, \n, \t, \\ and \xHH, since a
// shell makes line breaks awkward to pass.
std::string unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out.push_back(text[i]);
            continue;
        }
        const char c = text[++i];
        if (c == 'r') {
            out.push_back('\r');
        } else if (c == 'n') {
            out.push_back('\n');
        } else if (c == 't') {
            out.push_back('\t');
        } else if (c == 'x' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 &&
                   hexDigit(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2])));
            i += 2;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string printable(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// out.wb1 -> out-2.wb1 for the second beacon of a fleet.
// A mixed fleet for the help text: the last model, the first, the last.
std::string exampleFleet() {
    const std::string last(wb::kModels.back().name);
    return last + "," + std::string(wb::kModels.front().name) + "," + last;
}

std::string fleetDumpPath(const std::string& path, std::size_t index) {
    const std::filesystem::path p(path);
    std::filesystem::path name = p.stem();
    name += "-" + std::to_string(index + 1);
    name += p.extension();
    return (p.parent_path() / name).string();
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Serves one simulated Wrenbolt beacon on a pseudo-terminal."};
    std::string model(wb::kModels.front().name);
    std::string versionText;
    std::string imagePath;
    std::string faultName = "none";
    std::string linkPath;
    std::string dumpPath;
    long startDelayMs = 500;
    int dropAfter = 100;
    bool strictPacing = false;
    bool watchStdin = false;
    int fleetSize = 0;
    std::string fleetModels;
    double fleetDwell = 10.0;
    std::vector<std::string> fleetImages;
    app.add_option("--model", model, wb::modelChoicesText(false))
        ->check(CLI::IsMember(wb::modelNames()))
        ->capture_default_str();
    app.add_option("--version", versionText,
                   "answer to the version request (\\r, \\n, \\xHH allowed)");
    app.add_option("--image", imagePath, "start with the EEPROM of this .wb1 file");
    app.add_option("--fault", faultName,
                   "none, silent, other-product, incompatible, short-image, long-image, "
                   "endless, slow-start, line-drop")
        ->capture_default_str();
    app.add_option("--link", linkPath, "make this symlink to the pty's slave side");
    app.add_option("--dump", dumpPath, "write the EEPROM to this .wb1 file on exit");
    app.add_option("--start-delay-ms", startDelayMs, "slow-start: deaf this long")
        ->capture_default_str();
    app.add_option("--drop-after", dropAfter, "line-drop: image bytes before the line goes")
        ->capture_default_str();
    app.add_flag("--strict-pacing", strictPacing,
                 "lose image bytes closer than 15 ms (pty timing is loose: off by default)");
    app.add_option("--fleet", fleetSize,
                   "serve N beacons one after another, each removed after its write")
        ->check(CLI::Range(1, 99));
    app.add_option("--fleet-models", fleetModels,
                   "the fleet's models in order, e.g. " + exampleFleet() +
                       " (entries may add /FAULT: " + std::string(wb::kModels.back().name) + "/line-drop)");
    app.add_option("--fleet-dwell", fleetDwell,
                   "seconds a fleet's beacon stays connected after a read that no write follows "
                   "(an audit moves on after this)")
        ->check(CLI::Range(0.0, 3600.0))
        ->capture_default_str();
    app.add_option("--fleet-images", fleetImages,
                   "the fleet's EEPROMs in order, one .wb1 file each (comma-separated)")
        ->delimiter(',');
    app.add_flag("--watch-stdin", watchStdin, "also exit when standard input ends");
    CLI11_PARSE(app, argc, argv);

    wb::BeaconOptions options;
    options.model = wb::identifiedModelFromName(model).value_or(wb::kModels.front().code);
    options.versionText = unescape(versionText);
    const auto fault = wb::parseBeaconFault(faultName);
    if (!fault) {
        std::cerr << "unknown fault: " << faultName << "\n";
        return 2;
    }
    options.fault = *fault;
    options.startDelayUs = static_cast<std::int64_t>(startDelayMs) * 1000;
    options.dropAfterBytes = dropAfter;
    options.ptyMode = !strictPacing;
    if (!imagePath.empty()) {
        // The product's own reader: it never reads past the 264 bytes of a
        // .wb1 file, so a device or a huge file cannot exhaust memory.
        wb::ConfigImage image{};
        const wb::Outcome loaded = wb::loadImageFile(imagePath, image);
        if (loaded != wb::Outcome::FileLoaded) {
            std::cerr << imagePath << ": " << wb::fileOutcomeText(loaded) << "\n";
            return 2;
        }
        options.eeprom = image;
    }

    wb::FleetOptions fleetOptions;
    fleetOptions.beacons = {options};
    fleetOptions.unwrittenStayUs = static_cast<std::int64_t>(fleetDwell * 1e6);
    if (!fleetImages.empty() && fleetSize == 0) fleetSize = static_cast<int>(fleetImages.size());
    if (fleetSize > 0 || !fleetModels.empty()) {
        fleetOptions.swapAfterWrite = true;
        std::vector<wb::FleetEntry> entries;
        if (!fleetModels.empty()) {
            const auto list = wb::parseFleetList(fleetModels);
            if (!list) {
                std::cerr << "bad --fleet-models: " << fleetModels << "\n";
                return 2;
            }
            entries = *list;
        }
        const std::size_t count = fleetSize > 0 ? static_cast<std::size_t>(fleetSize) : entries.size();
        if (!entries.empty() && entries.size() != count) {
            std::cerr << "--fleet-models lists " << entries.size() << " beacons, --fleet says "
                      << count << "\n";
            return 2;
        }
        fleetOptions.beacons.assign(count, options);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            fleetOptions.beacons[i].model = entries[i].model;
            if (entries[i].fault != wb::BeaconFault::None) {
                fleetOptions.beacons[i].fault = entries[i].fault;
            }
            // A version text given for one model is wrong for the other.
            if (entries[i].model != options.model) fleetOptions.beacons[i].versionText.clear();
        }
        if (!fleetImages.empty() && fleetImages.size() != count) {
            std::cerr << "--fleet-images lists " << fleetImages.size() << " files for " << count
                      << " beacons\n";
            return 2;
        }
        for (std::size_t i = 0; i < fleetImages.size(); ++i) {
            wb::ConfigImage image{};
            const wb::Outcome loaded = wb::loadImageFile(fleetImages[i], image);
            if (loaded != wb::Outcome::FileLoaded) {
                std::cerr << fleetImages[i] << ": " << wb::fileOutcomeText(loaded) << "\n";
                return 2;
            }
            fleetOptions.beacons[i].eeprom = image;
        }
    }

    installSignals();
    wb::PtyServer server;
    std::string error;
    if (!server.open(error)) {
        std::cerr << error << "\n";
        return 1;
    }
    // A symlink already there (a Wine prefix's hidden COM port) is put back
    // on exit, so that the name does not fall back to a host device.
    std::optional<std::filesystem::path> previousTarget;
    if (!linkPath.empty()) {
        std::error_code ec;
        if (std::filesystem::is_symlink(linkPath, ec)) {
            previousTarget = std::filesystem::read_symlink(linkPath, ec);
            std::filesystem::remove(linkPath, ec);
        }
        std::filesystem::create_symlink(server.slavePath(), linkPath, ec);
        if (ec) {
            std::cerr << "cannot link " << linkPath << ": " << ec.message() << "\n";
            return 1;
        }
    }

    wb::SimulatedFleet fleet(fleetOptions);
    wb::SteadyClock clock;
    std::cout << server.slavePath() << std::endl;
    const wb::SimulatedBeacon& first = *fleet.beacons().front();
    if (fleet.swapping()) {
        std::cerr << "serving a fleet of " << fleet.size() << " beacons";
    } else {
        std::cerr << "serving a " << model << " beacon \"" << printable(first.versionText()) << "\"";
    }
    std::cerr << " on " << server.slavePath() << " (fault: " << wb::beaconFaultName(options.fault)
              << ")" << std::endl;

    server.run(fleet, clock, gStop, watchStdin);

    int status = 0;
    const auto& beacons = fleet.beacons();
    for (std::size_t i = 0; i < beacons.size() && !dumpPath.empty(); ++i) {
        const std::string path = fleet.swapping() ? fleetDumpPath(dumpPath, i) : dumpPath;
        const wb::Outcome saved = wb::saveImageFile(path, beacons[i]->eeprom());
        if (saved != wb::Outcome::FileSaved) {
            std::cerr << path << ": " << wb::fileOutcomeText(saved) << "\n";
            status = 1;
        }
    }
    if (!linkPath.empty()) {
        std::error_code ec;
        std::filesystem::remove(linkPath, ec);
        if (previousTarget) std::filesystem::create_symlink(*previousTarget, linkPath, ec);
    }
    std::cerr << "stopped" << std::endl;
    return status;
}
