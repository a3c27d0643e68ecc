#include "main_dialog.h"

#include <commdlg.h>

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "app/control_ids.h"
#include "app/form_binding.h"
#include "app_globals.h"
#include "exchange/device_exchange.h"
#include "file/config_file.h"
#include "file/file_texts.h"
#include "win32_controls.h"

namespace wb {

namespace {

// The poll timer is the exchange's only clock: one step per event.
constexpr UINT_PTR kPollTimerId = 1;
constexpr UINT kPollPeriodMs = 100;

constexpr int kProbedPortCount = 20;
constexpr char kNoPortsText[] = "No COM Ports Found";

constexpr DWORD kFileNameSize = 260;
// One description and pattern pair; the literal's own zero ends the list.
constexpr char kFileFilter[] = "Wrenbolt Files (*.wb1)\0*.wb1\0";
constexpr char kDefaultExtension[] = "wb1";

// The whole structure of this platform, reserved members included.
static_assert(sizeof(OPENFILENAMEA) == offsetof(OPENFILENAMEA, FlagsEx) + sizeof(DWORD));

// Centre on the whole screen (not the work area), halving each term on its
// own, and show the window, which the template creates hidden.
void centreAndShow(HWND window) {
    RECT outer{};
    GetWindowRect(window, &outer);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int x = screenWidth / 2 - width / 2;
    const int y = screenHeight / 2 - height / 2;
    SetWindowPos(window, HWND_TOP, x, y, width, height, SWP_SHOWWINDOW);
}

// Lists every port from COM1 to COM20 that opens, lowest first, and shows
// the first entry.
void listPorts(HWND window) {
    bool found = false;
    for (int n = 1; n <= kProbedPortCount; ++n) {
        char name[20];
        std::snprintf(name, sizeof name, "COM%d", n);
        if (app::serialPort.probe(name)) {
            SendDlgItemMessageA(window, IDC_PORT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
            found = true;
        }
    }
    if (!found) {
        SendDlgItemMessageA(window, IDC_PORT, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(kNoPortsText));
    }
    SendDlgItemMessageA(window, IDC_PORT, CB_SETCURSEL, 0, 0);
}

void showRecord(DialogControls& controls) {
    recordToForm(controls, app::beaconDevice.config);
    enableControlsForModel(controls, app::beaconDevice.config.model);
}

void startDeviceCommand(HWND window, ExchangeState firstState) {
    Win32DialogControls controls(window);
    app::serialPort.setPortName(portSelectorText(controls));
    app::beaconDevice.retryCount = 0;
    startOperation(app::beaconDevice, app::serialPort, firstState);
    enableControlsForModel(controls, app::beaconDevice.config.model);
}

void writeConfig(HWND window) {
    Win32DialogControls controls(window);
    formToRecord(controls, app::beaconDevice.config);
    app::serialPort.setPortName(portSelectorText(controls));
    if (prepareWrite(app::beaconDevice, app::serialPort, app::codecContext)) {
        recordToForm(controls, app::beaconDevice.config);
    }
    enableControlsForModel(controls, app::beaconDevice.config.model);
}

OPENFILENAMEA fileDialogFields(HWND window, char* fileName, DWORD flags) {
    OPENFILENAMEA dialog;
    std::memset(&dialog, 0, sizeof dialog);
    dialog.lStructSize = sizeof(OPENFILENAMEA);
    dialog.hwndOwner = window;
    dialog.lpstrFilter = kFileFilter;
    dialog.lpstrFile = fileName;
    dialog.nMaxFile = kFileNameSize;
    dialog.Flags = flags;
    dialog.lpstrDefExt = kDefaultExtension;
    return dialog;
}

// The form goes into the record only once the user has confirmed a name.
void saveFile(HWND window) {
    char fileName[kFileNameSize] = {};
    std::memcpy(fileName, file_text::kProposedFileName, sizeof file_text::kProposedFileName);
    OPENFILENAMEA dialog = fileDialogFields(
        window, fileName, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_EXPLORER | OFN_LONGNAMES);
    if (GetSaveFileNameA(&dialog) == 0) return;
    Win32DialogControls controls(window);
    formToRecord(controls, app::beaconDevice.config);
    saveConfigFile(app::beaconDevice, fileName, app::codecContext);
}

// Without OFN_FILEMUSTEXIST: a missing file is reported by the loader.
void loadFile(HWND window) {
    char fileName[kFileNameSize] = {};
    OPENFILENAMEA dialog = fileDialogFields(
        window, fileName, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_LONGNAMES);
    if (GetOpenFileNameA(&dialog) == 0) return;
    loadConfigFile(app::beaconDevice, fileName);
    Win32DialogControls controls(window);
    showRecord(controls);
}

INT_PTR onInitDialog(HWND window) {
    centreAndShow(window);
    listPorts(window);
    SetTimer(window, kPollTimerId, kPollPeriodMs, nullptr);
    Win32DialogControls controls(window);
    showRecord(controls);
    return TRUE;
}

// The whole word parameter is compared, so only clicks (notification 0)
// act; edit and combo box notifications fall through.
INT_PTR onCommand(HWND window, WPARAM command) {
    switch (command) {
    case IDC_QUIT:
        PostQuitMessage(0);
        return TRUE;
    case IDC_READ_VERSION:
        startDeviceCommand(window, ExchangeState::ReadVersion);
        return TRUE;
    case IDC_READ_CONFIG:
        startDeviceCommand(window, ExchangeState::VersionForRead);
        return TRUE;
    case IDC_WRITE_CONFIG:
        writeConfig(window);
        return TRUE;
    case IDC_SAVE:
        saveFile(window);
        return TRUE;
    case IDC_LOAD:
        loadFile(window);
        return TRUE;
    default:
        return FALSE;
    }
}

// Every timer message refreshes the status line, so a text set anywhere
// shows within one period.
INT_PTR onTimer(HWND window, WPARAM timerId) {
    if (timerId == kPollTimerId && pollTick(app::beaconDevice, app::serialPort)) {
        Win32DialogControls controls(window);
        showRecord(controls);
    }
    SetDlgItemTextA(window, IDC_STATUS, app::beaconDevice.statusText.c_str());
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK mainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return onInitDialog(window);
    case WM_COMMAND:
        return onCommand(window, wParam);
    case WM_TIMER:
        return onTimer(window, wParam);
    case WM_CLOSE:
        PostQuitMessage(0);
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace wb
