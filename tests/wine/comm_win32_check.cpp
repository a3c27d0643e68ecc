// comm_win32_check roundtrip COMn   opens COMn, sends 'A', expects 'B' back
//                                    from the peer on the far side, closes
// comm_win32_check refused COMn     expects the open of COMn to fail
// Prints one line per check; exits 0 when all passed.

#include <cstdio>
#include <cstring>
#include <string>

#include "serial/platform_comm.h"
#include "serial/serial_port.h"

namespace {

int failures = 0;

void check(bool ok, const std::string& what, const std::string& detail = {}) {
    std::printf("%s %s%s%s\n", ok ? "PASS" : "FAIL", what.c_str(), detail.empty() ? "" : ": ",
                detail.c_str());
    if (!ok) ++failures;
}

void roundtrip(wb::SerialPort& port, const std::string& name) {
    port.setPortName(name);
    const bool opened = port.open();
    check(opened, "open " + name, port.lastError);
    if (!opened) return;

    const std::uint8_t request = 'A';
    check(port.write(&request, 1, 10) == 1, "write one byte to " + name, port.lastError);

    // The peer answers with the byte after the one it got. Keep asking with
    // one-byte reads, as the exchange does, until the answer comes or about
    // ten seconds pass: a loaded machine may keep Wine or the peer waiting
    // far longer than one read's time-out. Any other byte is kept to be
    // shown, never taken for the answer.
    std::uint8_t reply = 0;
    bool answered = false;
    std::string stray;
    for (int i = 0; i < 100 && !answered; ++i) {
        if (port.read(&reply, 1) != 1) continue;
        if (reply == 'B') {
            answered = true;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, " 0x%02x", reply);
            stray += hex;
        }
    }
    std::string detail = port.lastError;
    if (!stray.empty()) detail += (detail.empty() ? "" : "; ") + std::string("other bytes:") + stray;
    if (!answered && detail.empty()) detail = "no answer";
    check(answered, "read the answer from " + name, detail);

    port.close();
    check(!port.isOpen(), "close " + name, port.lastError);
    check(port.lastError.empty(), "no failure text on " + name, port.lastError);
}

void refused(wb::SerialPort& port, const std::string& name) {
    const bool opened = port.probe(name);
    const std::string expected = "Could not open Com Port " + name;
    check(!opened && port.lastError == expected, "open of " + name + " refused",
          "\"" + port.lastError + "\"");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: comm_win32_check roundtrip|refused COMn\n");
        return 2;
    }
    auto comm = wb::makePlatformComm();
    wb::SerialPort port(*comm);
    if (std::strcmp(argv[1], "roundtrip") == 0) {
        roundtrip(port, argv[2]);
    } else if (std::strcmp(argv[1], "refused") == 0) {
        refused(port, argv[2]);
    } else {
        std::fprintf(stderr, "unknown check %s\n", argv[1]);
        return 2;
    }
    return failures == 0 ? 0 : 1;
}
