// Drives WrenboltConfig.exe through whole user flows, the way a user
// would: typing into fields, clicking buttons, answering its dialogs.
//   gui_driver.exe FLOW exe=PATH out=FOLDER [more key=value]
// One line per check; the exit code is the number of failed checks.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/control_ids.h"
#include "flows.h"

namespace wbgui {

namespace {

// The controls that only one model carries: Tarsel's nine and Basic's LED.
constexpr int kTarselOnly[] = {IDC_RX_FREQUENCY, IDC_RANDOM_TONES,  IDC_RANDOM_SPEED,
                               IDC_RANDOM_MORSE, IDC_AUTO_START,    IDC_UNLOCK_CODE,
                               IDC_INITIAL_DELAY, IDC_TOTAL_RUNTIME, IDC_DISABLE_RX};

// The file-name field of the Explorer-style file dialog: a combo box with an
// edit part on newer systems, a plain edit on older ones.
constexpr int kFileNameCombo = 0x47C;
constexpr int kFileNameEdit = 0x480;

}  // namespace

std::string FlowContext::option(const std::string& key) {
    const auto found = options.find(key);
    if (found != options.end()) return found->second;
    checks.check(false, "option " + key, "missing on the command line");
    return {};
}

bool launch(FlowContext& context, Program& program, const std::string& arguments,
            bool waitForList) {
    const std::string exe = context.exe();
    std::string line = "\"" + exe + "\"";
    if (!arguments.empty()) line += arguments;
    if (!context.checks.check(program.start(exe, line), "program starts")) return false;
    HWND window = program.waitForWindow(kStartTimeoutMs);
    if (!context.checks.check(window != nullptr, "main window appears")) return false;
    // The window is found while its items are still being made.
    waitUntil([&] { return GetDlgItem(window, IDC_STATUS) != nullptr; }, kStartTimeoutMs);
    if (!waitForList) return true;
    // The port list is filled before the window answers any message.
    return context.checks.check(
        waitUntil([&] { return SendMessageA(GetDlgItem(window, IDC_PORT), CB_GETCOUNT, 0, 0) > 0; },
                  kStartTimeoutMs),
        "port list filled");
}

void quitAndCheckExit(FlowContext& context, Program& program, const std::string& how) {
    HWND window = program.window();
    if (how == "Quit") {
        clickItem(window, IDC_QUIT);
    } else if (how == "Escape") {
        pressEscape(GetDlgItem(window, IDC_PRE_TONES_DELAY));
    } else {
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    DWORD code = 0;
    const bool ended = program.waitForExit(10000, code);
    context.checks.check(ended, how + " ends the program");
    if (ended) context.checks.equal(how + ": exit code", static_cast<long long>(code), 0);
}

void checkEnabling(Checks& checks, HWND window, int model, const std::string& when) {
    std::string wrong;
    for (const int id : kTarselOnly) {
        if (isItemEnabled(window, id) != (model == 2)) {
            wrong += ' ';
            wrong += std::to_string(id);
        }
    }
    if (isItemEnabled(window, IDC_ENABLE_LED) != (model == 1)) wrong += " 1016";
    checks.check(wrong.empty(), when + ": model " + std::to_string(model) + " controls enabled",
                 "wrong state of" + wrong);
}

void choosePort(HWND window, const std::string& name) {
    setItemText(window, IDC_PORT, name);
}

bool runCommand(FlowContext& context, HWND window, int id, const std::string& finalStatus,
                DWORD timeoutMs, StatusWatch* watch) {
    StatusWatch own(window);
    StatusWatch& status = watch != nullptr ? *watch : own;
    clickItem(window, id);
    const bool ok = status.waitForText(finalStatus, timeoutMs);
    context.checks.check(ok, "status reaches " + shown(finalStatus),
                         "last seen " + shown(status.current()));
    return ok;
}

bool answerFileDialog(FlowContext& context, Program& program, const std::string& path,
                      const char* proposedName) {
    Checks& checks = context.checks;
    HWND dialog = waitForTopWindow(program.processId(), kDialogClass, nullptr, program.window(),
                                   kDialogTimeoutMs);
    if (!checks.check(dialog != nullptr, "file dialog opens")) return false;
    HWND name = GetDlgItem(dialog, kFileNameCombo);
    if (name == nullptr) name = GetDlgItem(dialog, kFileNameEdit);
    if (!checks.check(name != nullptr, "file dialog has a file-name field")) return false;
    if (proposedName != nullptr) {
        waitUntil([&] { return textOf(name) == proposedName; }, 5000);
        checks.equal("file dialog proposes", textOf(name), proposedName);
    }
    setTextOf(name, path);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    return checks.check(waitUntil([&] { return IsWindow(dialog) == 0; }, kDialogTimeoutMs),
                        "file dialog closes on OK");
}

void screenshot(FlowContext& context, HWND window, const std::string& name) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    Sleep(400);
    const std::string path = context.artifact(name + ".bmp");
    context.checks.check(saveWindowImage(window, path), "screenshot " + name);
}

}  // namespace wbgui

namespace {

struct Flow {
    const char* name;
    void (*run)(wbgui::FlowContext&);
};

constexpr Flow kFlows[] = {
    {"startup", wbgui::flowStartup},      {"ports", wbgui::flowPorts},
    {"save-load", wbgui::flowSaveLoad},   {"read-write", wbgui::flowReadWrite},
    {"truncation", wbgui::flowTruncation}, {"nolimit", wbgui::flowNoLimit},
    {"no-window", wbgui::flowNoWindow},   {"demo", wbgui::flowDemo},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: gui_driver FLOW exe=PATH out=FOLDER [key=value ...]\nflows:");
        for (const Flow& flow : kFlows) std::printf(" %s", flow.name);
        std::printf("\n");
        return 2;
    }
    wbgui::Checks checks;
    wbgui::FlowContext context{checks, {}};
    for (int i = 2; i < argc; ++i) {
        const char* equals = std::strchr(argv[i], '=');
        if (equals == nullptr) continue;
        context.options[std::string(argv[i], static_cast<std::size_t>(equals - argv[i]))] = equals + 1;
    }
    for (const Flow& flow : kFlows) {
        if (std::strcmp(flow.name, argv[1]) != 0) continue;
        flow.run(context);
        std::printf("%s: %d checks, %d failed\n", flow.name, checks.total(), checks.failures());
        return checks.failures() == 0 ? 0 : 1;
    }
    std::printf("unknown flow %s\n", argv[1]);
    return 2;
}
