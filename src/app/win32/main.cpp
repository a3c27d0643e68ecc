// WrenboltConfig.exe: one modeless dialog and its message loop.
#include <windows.h>

#include "app/control_ids.h"
#include "app_globals.h"
#include "command_line.h"
#include "main_dialog.h"

namespace {

constexpr char kNoWindowCaption[] = "Wrenbolt Config v1.8";
constexpr char kNoWindowText[] =
    "Wrenbolt Config could not create its window and will close.";

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    wb::app::codecContext.noLimit =
        wb::isNoLimitOption(wb::argumentsAfterProgramName(GetCommandLineA()));

    const HWND dialog =
        CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, wb::mainDialogProc, 0);
    if (dialog == nullptr) {
        // Without its window nothing could ever end the message loop.
        MessageBoxA(nullptr, kNoWindowText, kNoWindowCaption, MB_OK | MB_ICONERROR);
        return 1;
    }

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(dialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    DestroyWindow(dialog);
    return 0;
}
