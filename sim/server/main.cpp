// wrenbolt-beacon-sim: plays one beacon on a pseudo-terminal, for end-to-end
// tests and demos of the programs that talk to a real one.
//
// Prints the slave side's path on stdout (one line), logs every request on
// stderr with the seconds since start, and runs until SIGTERM, SIGINT or
// SIGHUP; with --watch-stdin also until its standard input ends, so that a
// test that dies takes its server with it. On the way out it writes the
// EEPROM to --dump and removes the --link symlink (or points it back where
// it pointed before).

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>

#include "sim/clock.h"
#include "sim/server/image_file.h"
#include "sim/server/pty_server.h"
#include "sim/simulated_beacon.h"

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

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Serves one simulated Wrenbolt beacon on a pseudo-terminal."};
    std::string model = "basic";
    std::string versionText;
    std::string imagePath;
    std::string faultName = "none";
    std::string linkPath;
    std::string dumpPath;
    long startDelayMs = 500;
    int dropAfter = 100;
    bool strictPacing = false;
    bool watchStdin = false;
    app.add_option("--model", model, "basic or tarsel")
        ->check(CLI::IsMember({"basic", "tarsel"}))
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
    app.add_flag("--watch-stdin", watchStdin, "also exit when standard input ends");
    CLI11_PARSE(app, argc, argv);

    wb::BeaconOptions options;
    options.model = model == "tarsel" ? wb::DeviceModel::Tarsel : wb::DeviceModel::Basic;
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
        std::string error;
        options.eeprom = wb::readImageFile(imagePath, error);
        if (!options.eeprom) {
            std::cerr << error << "\n";
            return 2;
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

    wb::SimulatedBeacon beacon(options);
    wb::SteadyClock clock;
    std::cout << server.slavePath() << std::endl;
    std::cerr << "serving a " << model << " beacon \"" << printable(beacon.versionText())
              << "\" on " << server.slavePath() << " (fault: " << wb::beaconFaultName(options.fault)
              << ")" << std::endl;

    server.run(beacon, clock, gStop, watchStdin);

    int status = 0;
    if (!dumpPath.empty() && !wb::writeImageFile(dumpPath, beacon.eeprom(), error)) {
        std::cerr << error << "\n";
        status = 1;
    }
    if (!linkPath.empty()) {
        std::error_code ec;
        std::filesystem::remove(linkPath, ec);
        if (previousTarget) std::filesystem::create_symlink(*previousTarget, linkPath, ec);
    }
    std::cerr << "stopped" << std::endl;
    return status;
}
