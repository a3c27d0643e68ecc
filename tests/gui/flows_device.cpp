// Flows against simulated beacons behind mapped COM ports: identifying,
// reading, writing with its progress, truncation, /NOLIMIT.
#include <cstdio>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "flows.h"

namespace wbgui {

namespace {

constexpr char kReadOk[] = "Read Config Successful";
constexpr char kWriteOk[] = "Config Written Successfully!";

// Write Config's progress as the status line shows it: "Writing Config : "
// with no star, then a star more per chunk sent, never more than eight,
// then "Verifying Config" and the outcome. The driver samples the line from
// another process, and Wine may run several ticks back to back, so any one
// state can go unseen on a loaded machine: the bare "Writing Config : "
// (it stands until the first chunk's tick), some star counts, and
// "Verifying Config" (one tick). The order and the bounds cannot; the exact
// sequence tick by tick is held by the exchange's unit tests.
bool showedWriteProgress(Checks& checks, const std::vector<std::string>& seen) {
    const std::string writing = "Writing Config : ";
    std::size_t i = 0;
    while (i < seen.size() && seen[i].rfind(writing, 0) != 0) ++i;
    bool ok = i < seen.size();
    std::size_t stars = 0;
    for (bool first = true; ok && i < seen.size() && seen[i].rfind(writing, 0) == 0;
         ++i, first = false) {
        const std::string tail = seen[i].substr(writing.size());
        ok = (first || tail.size() > stars) && tail.size() <= 8 &&
             tail.find_first_not_of('*') == std::string::npos;
        stars = tail.size();
    }
    if (ok && i < seen.size() && seen[i] == "Verifying Config") ++i;
    ok = ok && i + 1 == seen.size() && seen[i] == kWriteOk;
    std::string all;
    for (const std::string& text : seen) all += shown(text) + " ";
    return checks.check(ok, "write progress: stars rising to at most eight, verifying, success",
                        "status line showed " + all);
}

bool writeConfig(FlowContext& context, HWND window) {
    StatusWatch watch(window);
    if (!runCommand(context, window, IDC_WRITE_CONFIG, kWriteOk, kWriteTimeoutMs, &watch)) {
        return false;
    }
    return showedWriteProgress(context.checks, watch.seen());
}

}  // namespace

// COM3: a Basic beacon, COM7: a Tarsel beacon.
void flowPorts(FlowContext& context) {
    Checks& checks = context.checks;
    Program program;
    if (!launch(context, program)) return;
    HWND window = program.window();
    HWND combo = GetDlgItem(window, IDC_PORT);
    const auto entries = comboEntries(combo);
    std::string listed;
    for (const auto& entry : entries) listed += entry + " ";
    checks.equal("ports listed in order", listed, "COM3 COM7 ");
    checks.equal("lowest port shown", textOf(combo), "COM3");

    runCommand(context, window, IDC_READ_VERSION, kBasicVersionStatus, kIdentifyTimeoutMs);
    checkEnabling(checks, window, 1, "Basic identified");

    // Picking another entry alone starts nothing.
    SendMessageA(combo, CB_SETCURSEL, 1, 0);
    checks.equal("picked port shown", textOf(combo), "COM7");
    Sleep(300);
    checks.equal("picking a port starts nothing", itemText(window, IDC_STATUS),
                 kBasicVersionStatus);
    runCommand(context, window, IDC_READ_VERSION, kTarselVersionStatus, kIdentifyTimeoutMs);
    checkEnabling(checks, window, 2, "Tarsel identified");

    // An image laid out for a Basic beacon never goes to a Tarsel one.
    choosePort(window, "COM3");
    runCommand(context, window, IDC_READ_VERSION, kBasicVersionStatus, kIdentifyTimeoutMs);
    choosePort(window, "COM7");
    runCommand(context, window, IDC_WRITE_CONFIG, "Model mismatch: Read Config First",
               kIdentifyTimeoutMs);

    quitAndCheckExit(context, program, "Quit");
}

// COM3: a Tarsel beacon holding the image saved by the save-load flow.
void flowReadWrite(FlowContext& context) {
    Checks& checks = context.checks;
    Program program;
    if (!launch(context, program)) return;
    HWND window = program.window();
    // Values typed before a read are replaced by what the beacon holds.
    setItemText(window, IDC_MORSE_TEXT, "TYPED BEFORE");
    if (!runCommand(context, window, IDC_READ_CONFIG, kReadOk, kReadTimeoutMs)) return;
    checkEditedValues(checks, window, "after Read Config");
    checkEnabling(checks, window, 2, "after Read Config");
    screenshot(context, window, "after-read-config");

    setItemText(window, IDC_MORSE_TEXT, "VVV DE WRENBOLT");
    setItemText(window, IDC_MORSE_SPEED, "15");
    setItemText(window, IDC_TONES, "10 20 30 40 50 60 70 80 90 100 110 120");
    setItemChecked(window, IDC_DISABLE_RX, true);
    setItemChecked(window, IDC_AUTO_START, false);
    // The form as Write Config will take it, saved for the runner to
    // compare with the beacon's EEPROM afterwards.
    clickItem(window, IDC_SAVE);
    answerFileDialog(context, program, context.artifact("before-write.wb1"), "config1.wb1");
    StatusWatch status(window);
    checks.check(status.waitForText("File Saved", 5000), "form saved before the write");
    checks.check(isItemChecked(window, IDC_AUTO_START), "Disable RX checks Auto Start");

    writeConfig(context, window);
    checks.equal("tones shown after the write", itemText(window, IDC_TONES),
                 "10, 20, 30, 40, 50, 60, 70, 80, 90, 100, \r\n110, 120");
    quitAndCheckExit(context, program, "Quit");
}

// COM3: a Tarsel beacon. A 61-character text does not fit its 60.
void flowTruncation(FlowContext& context) {
    Checks& checks = context.checks;
    Program program;
    if (!launch(context, program)) return;
    HWND window = program.window();
    if (!runCommand(context, window, IDC_READ_CONFIG, kReadOk, kReadTimeoutMs)) return;

    const std::string text61 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789 ABCDEFGHIJKLMNOPQRSTUVW";
    checks.equal("long text has 61 characters", static_cast<long long>(text61.size()), 61);
    setItemText(window, IDC_MORSE_TEXT, text61);
    clickItem(window, IDC_WRITE_CONFIG);
    HWND box = waitForTopWindow(program.processId(), kDialogClass, "Text/Tones Truncated", window,
                                kDialogTimeoutMs);
    if (!checks.check(box != nullptr, "truncation notice appears")) return;
    checks.equal("truncation notice text", itemText(box, 0xFFFF),
                 "The Morse Text or Tones are too long and have been tuncated.  ");
    checks.check(GetWindow(box, GW_OWNER) == nullptr, "truncation notice has no owner");
    checks.check(GetDlgItem(box, IDCANCEL) == nullptr || !IsWindowVisible(GetDlgItem(box, IDCANCEL)),
                 "truncation notice has a single OK button");
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    checks.check(waitUntil([&] { return IsWindow(box) == 0; }, 10000), "notice closes on OK");

    StatusWatch status(window);
    checks.check(status.waitForText(kReadOk, 3000), "cut image decoded back into the record",
                 "status " + shown(status.current()));
    checks.equal("form shows the cut text", itemText(window, IDC_MORSE_TEXT), text61.substr(0, 60));
    checks.check(topWindows(program.processId(), kDialogClass, "Text/Tones Truncated").empty(),
                 "no second notice");

    clickItem(window, IDC_SAVE);
    answerFileDialog(context, program, context.artifact("truncated.wb1"), "config1.wb1");
    checks.check(status.waitForText("File Saved", 3000), "cut form saved");
    // The second write encodes without cutting and goes through.
    writeConfig(context, window);
    checks.check(topWindows(program.processId(), kDialogClass, "Text/Tones Truncated").empty(),
                 "second write shows no notice");
    quitAndCheckExit(context, program, "Close");
}

// COM3: a Tarsel beacon; the program started with blanks and "/nolimit".
void flowNoLimit(FlowContext& context) {
    Checks& checks = context.checks;
    Program program;
    if (!launch(context, program, "   /nolimit")) return;
    HWND window = program.window();
    if (!runCommand(context, window, IDC_READ_CONFIG, kReadOk, kReadTimeoutMs)) return;
    setItemText(window, IDC_TX_FREQUENCY, "143.000");
    clickItem(window, IDC_SAVE);
    answerFileDialog(context, program, context.artifact("nolimit.wb1"), "config1.wb1");
    writeConfig(context, window);
    checks.equal("TX after the write", itemText(window, IDC_TX_FREQUENCY), "143.000");

    setItemText(window, IDC_TX_FREQUENCY, "146.000");
    clickItem(window, IDC_LOAD);
    answerFileDialog(context, program, context.artifact("nolimit.wb1"), nullptr);
    StatusWatch status(window);
    checks.check(status.waitForText("File Loaded", 5000), "file loaded");
    checks.equal("TX 143.000 kept with /NOLIMIT", itemText(window, IDC_TX_FREQUENCY), "143.000");
    quitAndCheckExit(context, program, "Quit");
}

// The scripted part of the demo: one Read Config of the beacon on COM3.
void flowDemo(FlowContext& context) {
    Program program;
    if (!launch(context, program)) return;
    HWND window = program.window();
    runCommand(context, window, IDC_READ_CONFIG, kReadOk, kReadTimeoutMs);
    std::printf("status line: %s\n", shown(itemText(window, IDC_STATUS)).c_str());
    std::printf("text: %s, TX %s MHz\n", itemText(window, IDC_MORSE_TEXT).c_str(),
                itemText(window, IDC_TX_FREQUENCY).c_str());
    screenshot(context, window, "demo");
    quitAndCheckExit(context, program, "Quit");
}

}  // namespace wbgui
