#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace wbgui {

inline constexpr char kMainCaption[] = "Wrenbolt Config v1.8";
inline constexpr char kDialogClass[] = "#32770";

// Waits up to timeoutMs for the condition, checking every 10 ms.
bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// One run of the program under test.
class Program {
public:
    Program() = default;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program();

    // commandLine is the whole line, program name included.
    bool start(const std::string& exePath, const std::string& commandLine);
    // The main dialog: found as soon as it exists (it is created hidden).
    HWND waitForWindow(DWORD timeoutMs);
    HWND window() const { return window_; }
    DWORD processId() const { return info_.dwProcessId; }
    // True with the exit code once the process has ended.
    bool waitForExit(DWORD timeoutMs, DWORD& exitCode);
    void terminate();

private:
    PROCESS_INFORMATION info_{};
    HWND window_ = nullptr;
    bool running_ = false;
};

// Top-level windows of a process with the given class and, if caption is
// not null, that caption.
std::vector<HWND> topWindows(DWORD processId, const char* className, const char* caption);
HWND waitForTopWindow(DWORD processId, const char* className, const char* caption,
                      HWND other, DWORD timeoutMs);

std::string className(HWND window);
// Text through WM_GETTEXT, so edit contents of another process are seen.
std::string textOf(HWND window);
void setTextOf(HWND window, const std::string& text);
std::string itemText(HWND dialog, int id);
void setItemText(HWND dialog, int id, const std::string& text);
bool isItemChecked(HWND dialog, int id);
void setItemChecked(HWND dialog, int id, bool checked);
bool isItemEnabled(HWND dialog, int id);
// A click as the button itself would see it; posted, so a modal window
// the command opens does not hold up the driver.
void clickItem(HWND dialog, int id);
void pressEscape(HWND control);

// The entries of a combo box's list.
std::vector<std::string> comboEntries(HWND combo);

// A control's rectangle in its dialog's client coordinates.
RECT clientRectOf(HWND dialog, HWND control);

// Captures the window as it shows on screen into a 24-bit BMP file.
bool saveWindowImage(HWND window, const std::string& path);

// Follows the status line (1006) and keeps every distinct text it showed.
class StatusWatch {
public:
    explicit StatusWatch(HWND dialog) : dialog_(dialog) {}
    // Samples the status line until the condition holds on its text.
    bool waitFor(const std::function<bool(const std::string&)>& condition, DWORD timeoutMs);
    bool waitForText(const std::string& text, DWORD timeoutMs);
    const std::vector<std::string>& seen() const { return seen_; }
    void forget() { seen_.clear(); }
    std::string current() const { return current_; }

private:
    void sample();

    HWND dialog_;
    std::vector<std::string> seen_;
    std::string current_;
};

}  // namespace wbgui
