#pragma once

#include <windows.h>

namespace wb {

// The procedure of the program's one window, built from template 129.
INT_PTR CALLBACK mainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace wb
