#include "automation.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace wbgui {

namespace {

constexpr UINT kSendTimeoutMs = 15000;
constexpr int kStatusId = 1006;

LRESULT sendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs,
                            &result) == 0) {
        return 0;
    }
    return static_cast<LRESULT>(result);
}

struct WindowSearch {
    DWORD processId;
    const char* className;
    const char* caption;
    std::vector<HWND> found;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<WindowSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId) return TRUE;
    if (search.className != nullptr && className(window) != search.className) return TRUE;
    if (search.caption != nullptr) {
        char caption[256] = {};
        GetWindowTextA(window, caption, sizeof caption);
        if (std::strcmp(caption, search.caption) != 0) return TRUE;
    }
    search.found.push_back(window);
    return TRUE;
}

}  // namespace

bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(10);
    }
}

Program::~Program() { terminate(); }

bool Program::start(const std::string& exePath, const std::string& commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string line = commandLine;
    if (!CreateProcessA(exePath.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info_)) {
        std::printf("cannot start %s (error %lu)\n", exePath.c_str(), GetLastError());
        return false;
    }
    running_ = true;
    return true;
}

HWND Program::waitForWindow(DWORD timeoutMs) {
    waitUntil(
        [&] {
            const auto found = topWindows(info_.dwProcessId, kDialogClass, kMainCaption);
            if (!found.empty()) window_ = found.front();
            return window_ != nullptr;
        },
        timeoutMs);
    return window_;
}

bool Program::waitForExit(DWORD timeoutMs, DWORD& exitCode) {
    if (!running_) return false;
    if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
    GetExitCodeProcess(info_.hProcess, &exitCode);
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
    running_ = false;
    return true;
}

void Program::terminate() {
    if (!running_) return;
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 5000);
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
    running_ = false;
}

std::vector<HWND> topWindows(DWORD processId, const char* wantedClass, const char* caption) {
    WindowSearch search{processId, wantedClass, caption, {}};
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitForTopWindow(DWORD processId, const char* wantedClass, const char* caption, HWND other,
                      DWORD timeoutMs) {
    HWND found = nullptr;
    waitUntil(
        [&] {
            for (HWND window : topWindows(processId, wantedClass, caption)) {
                if (window != other && IsWindowVisible(window)) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

std::string className(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string textOf(HWND window) {
    if (window == nullptr) return "<no window>";
    const auto length = static_cast<std::size_t>(sendTo(window, WM_GETTEXTLENGTH, 0, 0));
    std::vector<char> buffer(length + 64, '\0');
    const auto got = static_cast<std::size_t>(
        sendTo(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data())));
    return std::string(buffer.data(), got < buffer.size() ? got : buffer.size() - 1);
}

void setTextOf(HWND window, const std::string& text) {
    sendTo(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string itemText(HWND dialog, int id) { return textOf(GetDlgItem(dialog, id)); }

void setItemText(HWND dialog, int id, const std::string& text) {
    setTextOf(GetDlgItem(dialog, id), text);
}

bool isItemChecked(HWND dialog, int id) {
    return sendTo(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void setItemChecked(HWND dialog, int id, bool checked) {
    sendTo(GetDlgItem(dialog, id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool isItemEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }

void clickItem(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void pressEscape(HWND control) {
    const UINT scan = MapVirtualKeyA(VK_ESCAPE, 0);
    PostMessageA(control, WM_KEYDOWN, VK_ESCAPE, 1 | (static_cast<LPARAM>(scan) << 16));
    PostMessageA(control, WM_KEYUP, VK_ESCAPE,
                 1 | (static_cast<LPARAM>(scan) << 16) | (LPARAM{3} << 30));
}

// Wide characters: Wine hands the ANSI form of CB_GETLBTEXT to another
// process cut after its first character.
std::vector<std::string> comboEntries(HWND combo) {
    std::vector<std::string> entries;
    const LRESULT count = sendTo(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0, SMTO_NORMAL,
                            kSendTimeoutMs, &length);
        std::vector<wchar_t> buffer(length + 64, L'\0');
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                            reinterpret_cast<LPARAM>(buffer.data()), SMTO_NORMAL, kSendTimeoutMs,
                            &ignored);
        std::string entry;
        for (const wchar_t* c = buffer.data(); *c != L'\0'; ++c) {
            entry += *c < 0x80 ? static_cast<char>(*c) : '?';
        }
        entries.push_back(entry);
    }
    return entries;
}

RECT clientRectOf(HWND dialog, HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool saveWindowImage(HWND window, const std::string& path) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, previous);

    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;  // bottom-up rows
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~DWORD{3};
    const DWORD pixelBytes = rowBytes * static_cast<DWORD>(height);
    std::vector<unsigned char> pixels(pixelBytes);
    const int rows = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                               reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (rows != height) return false;

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + pixelBytes;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    bool ok = std::fwrite(&file, sizeof file, 1, out) == 1;
    ok = std::fwrite(&header, sizeof header, 1, out) == 1 && ok;
    ok = std::fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size() && ok;
    return std::fclose(out) == 0 && ok;
}

void StatusWatch::sample() {
    current_ = itemText(dialog_, kStatusId);
    if (seen_.empty() || seen_.back() != current_) {
        seen_.push_back(current_);
        if (std::getenv("WB_GUI_TRACE") != nullptr) {
            std::printf("  %llu %s\n", GetTickCount64() % 100000, current_.c_str());
        }
    }
}

bool StatusWatch::waitFor(const std::function<bool(const std::string&)>& condition,
                          DWORD timeoutMs) {
    return waitUntil(
        [&] {
            sample();
            return condition(current_);
        },
        timeoutMs);
}

bool StatusWatch::waitForText(const std::string& text, DWORD timeoutMs) {
    return waitFor([&](const std::string& status) { return status == text; }, timeoutMs);
}

}  // namespace wbgui
