#include "win32_controls.h"

#include <vector>

#include "app/control_ids.h"

namespace wb {

namespace {
// The port selector is read the way the port name is held: 99 characters
// and the terminating zero.
constexpr std::size_t kPortNameBuffer = 100;
}  // namespace

std::string Win32DialogControls::text(int id, std::size_t maxChars) {
    if (id == IDC_PORT) {
        char name[kPortNameBuffer] = {};
        const LRESULT got = SendDlgItemMessageA(dialog_, id, WM_GETTEXT, kPortNameBuffer,
                                                reinterpret_cast<LPARAM>(name));
        const std::size_t length = got > 0 ? static_cast<std::size_t>(got) : 0;
        return std::string(name, length < maxChars ? length : maxChars);
    }
    std::size_t limit = maxChars;
    if (limit == kWholeText) {
        const HWND control = GetDlgItem(dialog_, id);
        if (control == nullptr) return {};
        const int length = GetWindowTextLengthA(control);
        if (length <= 0) return {};
        limit = static_cast<std::size_t>(length);
    }
    std::vector<char> buffer(limit + 1, '\0');
    const UINT got = GetDlgItemTextA(dialog_, id, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), got);
}

void Win32DialogControls::setText(int id, const std::string& text) {
    SetDlgItemTextA(dialog_, id, text.c_str());
}

bool Win32DialogControls::isChecked(int id) {
    return SendDlgItemMessageA(dialog_, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32DialogControls::setChecked(int id, bool checked) {
    SendDlgItemMessageA(dialog_, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32DialogControls::setEnabled(int id, bool enabled) {
    EnableWindow(GetDlgItem(dialog_, id), enabled ? TRUE : FALSE);
}

}  // namespace wb
