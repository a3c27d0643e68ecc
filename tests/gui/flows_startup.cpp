// The window as it first shows: its place, every item of the template, the
// factory settings in the fields, the status line and the port list.
#include <cstring>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "flows.h"

namespace wbgui {

namespace {

struct Item {
    int id;
    const char* cls;
    const char* text;  // null: not checked here (edits show the record)
    int x, y, w, h;
};

constexpr int kLabel = -1;

// The template's 54 items in creation order, which is also z-order.
constexpr Item kItems[] = {
    {1017, "Edit", nullptr, 62, 9, 40, 14},
    {1011, "Edit", nullptr, 62, 25, 40, 14},
    {1012, "Edit", nullptr, 62, 41, 40, 14},
    {1010, "Edit", nullptr, 62, 57, 40, 14},
    {1013, "Edit", nullptr, 62, 106, 40, 14},
    {1018, "Edit", nullptr, 62, 123, 40, 14},
    {1014, "Edit", nullptr, 220, 123, 40, 14},
    {1015, "Edit", nullptr, 125, 34, 163, 64},
    {1023, "Edit", nullptr, 220, 105, 40, 14},
    {1007, "Edit", nullptr, 43, 151, 162, 14},
    {1008, "Edit", nullptr, 43, 168, 40, 14},
    {1009, "Edit", nullptr, 163, 168, 40, 14},
    {1016, "Button", "Enable LED", 220, 141, 51, 10},
    {1000, "ComboBox", nullptr, 9, 198, 48, 30},
    {1001, "Button", "Read Version", 7, 212, 50, 14},
    {1002, "Button", "Read Config", 63, 197, 50, 14},
    {1003, "Button", "Write Config", 63, 212, 50, 14},
    {1004, "Button", "Save", 121, 198, 50, 14},
    {1005, "Button", "Load", 121, 213, 50, 14},
    {2, "Button", "Quit", 238, 212, 50, 14},
    {kLabel, "Button", "Configure", 7, 188, 110, 39},
    {1006, "Static", nullptr, 134, 7, 154, 8},
    {kLabel, "Static", "Text", 15, 154, 16, 8},
    {kLabel, "Static", "Speed", 17, 171, 21, 8},
    {kLabel, "Static", "WPM", 85, 171, 17, 8},
    {kLabel, "Static", "Tone", 141, 171, 17, 8},
    {kLabel, "Button", "Morse Code ID", 7, 141, 203, 45},
    {kLabel, "Static", "Tone Speed", 20, 60, 39, 8},
    {kLabel, "Static", "ms", 106, 60, 10, 8},
    {kLabel, "Static", "Tones Duration", 9, 28, 50, 8},
    {kLabel, "Static", "sec", 106, 28, 12, 8},
    {kLabel, "Static", "Loop Time", 25, 44, 33, 8},
    {kLabel, "Static", "sec", 106, 44, 12, 8},
    {kLabel, "Static", "TX Frequency", 15, 109, 45, 8},
    {kLabel, "Static", "MHz", 106, 109, 14, 8},
    {kLabel, "Static", "Calibration", 184, 126, 35, 8},
    {kLabel, "Static", "%", 264, 126, 8, 8},
    {kLabel, "Static", "Tones", 127, 23, 20, 8},
    {kLabel, "Static", "Pre Tones Delay", 7, 12, 53, 8},
    {kLabel, "Static", "sec", 106, 12, 12, 8},
    {kLabel, "Static", "RX Frequency", 15, 126, 46, 8},
    {kLabel, "Static", "MHz", 106, 126, 14, 8},
    {1019, "Button", "Random Tones", 220, 152, 63, 10},
    {1020, "Button", "Random Speed", 220, 163, 64, 10},
    {1021, "Button", "Random Morse", 220, 174, 63, 10},
    {1022, "Button", "Auto Start", 220, 185, 49, 10},
    {kLabel, "Static", "Unlock Code", 174, 109, 40, 8},
    {1024, "Edit", nullptr, 62, 73, 40, 14},
    {kLabel, "Static", "Initial Delay", 20, 76, 38, 8},
    {kLabel, "Static", "min", 106, 76, 12, 8},
    {1025, "Edit", nullptr, 62, 89, 40, 14},
    {kLabel, "Static", "Total Runtime", 13, 92, 45, 8},
    {kLabel, "Static", "min", 106, 92, 12, 8},
    {1026, "Button", "Disable RX", 220, 196, 49, 10},
};

// Style bits each identified control must carry, and bits it must not.
struct StyleRule {
    int id;
    LONG required;
    LONG forbidden;
};

constexpr LONG kNumberEdit = ES_NUMBER | ES_RIGHT | ES_AUTOHSCROLL | WS_TABSTOP;
constexpr LONG kDecimalEdit = ES_RIGHT | ES_AUTOHSCROLL | WS_TABSTOP;
constexpr LONG kMorseNumber = ES_NUMBER | ES_AUTOHSCROLL | WS_TABSTOP;
constexpr LONG kNoEditExtras = ES_READONLY | ES_AUTOVSCROLL | ES_WANTRETURN;

constexpr StyleRule kStyles[] = {
    {1017, kNumberEdit, kNoEditExtras | ES_MULTILINE},
    {1011, kNumberEdit, kNoEditExtras | ES_MULTILINE},
    {1012, kNumberEdit, kNoEditExtras | ES_MULTILINE},
    {1010, kNumberEdit, kNoEditExtras | ES_MULTILINE},
    {1024, kNumberEdit, kNoEditExtras | ES_MULTILINE},
    {1025, kNumberEdit, kNoEditExtras | ES_MULTILINE},
    {1013, kDecimalEdit, kNoEditExtras | ES_NUMBER | ES_MULTILINE},
    {1018, kDecimalEdit, kNoEditExtras | ES_NUMBER | ES_MULTILINE},
    {1014, kDecimalEdit, kNoEditExtras | ES_NUMBER | ES_MULTILINE},
    {1023, kDecimalEdit, kNoEditExtras | ES_NUMBER | ES_MULTILINE},
    {1015, ES_MULTILINE | ES_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, kNoEditExtras | ES_NUMBER},
    {1007, ES_UPPERCASE | ES_AUTOHSCROLL | WS_TABSTOP, kNoEditExtras | ES_NUMBER | ES_RIGHT},
    {1008, kMorseNumber, kNoEditExtras | ES_RIGHT | ES_MULTILINE},
    {1009, kMorseNumber, kNoEditExtras | ES_RIGHT | ES_MULTILINE},
    // (the combo box hands WS_VSCROLL on to its list)
    {1000, CBS_DROPDOWN | WS_TABSTOP, CBS_SORT | CBS_AUTOHSCROLL},
    {1006, WS_GROUP, WS_TABSTOP},
};

constexpr int kPushButtons[] = {1001, 1002, 1003, 1004, 1005, 2};
constexpr int kCheckBoxes[] = {1016, 1019, 1020, 1021, 1022, 1026};

// With model 0 the model-specific tab stops are disabled and skipped.
constexpr int kEnabledTabOrder[] = {1017, 1011, 1012, 1010, 1013, 1014, 1015,
                                    1007, 1008, 1009, 1000, 1001, 1002, 1003,
                                    1004, 1005, 2};

constexpr char kDefaultTones[] =
    "1, 20, 1, 20, 1, 11, 11, 11, 1, 20, \r\n"
    "1, 20, 1, 11, 11, 11, 1, 23, 1, 23, \r\n"
    "1, 16, 16, 16, 1, 23, 1, 23, 1, 16, \r\n"
    "16, 16, 1, 26, 1, 26, 1, 20, 20, 20, \r\n"
    "1, 26, 1, 26, 1, 20, 20, 20, 1, 28, \r\n"
    "1, 28, 1, 23, 23, 23, 1, 28, 1, 28, \r\n"
    "1, 23, 23, 23";

constexpr FieldValue kDefaultFields[] = {
    {1017, "0"},       {1011, "15"},      {1012, "30"},  {1010, "50"},
    {1013, "146.565"}, {1018, "146.565"}, {1014, "0.000"}, {1015, kDefaultTones},
    {1023, "5862"},    {1007, " WRENBOLT "}, {1008, "20"}, {1009, "26"},
    {1024, "0"},       {1025, "0"},
};
constexpr BoxValue kDefaultBoxes[] = {{1016, true},  {1019, false}, {1020, false},
                                      {1021, false}, {1022, false}, {1026, false}};

bool sameClass(const std::string& actual, const char* expected) {
    return _stricmp(actual.c_str(), expected) == 0;
}

INT_PTR CALLBACK idleDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Dialog units to pixels for the program's own template and font: the
// template is created, hidden, in this process, where MapDialogRect works.
class UnitMapper {
public:
    explicit UnitMapper(const std::string& exe) {
        module_ = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (module_ == nullptr) return;
        HRSRC resource = FindResourceA(module_, MAKEINTRESOURCEA(IDD_MAIN),
                                       MAKEINTRESOURCEA(5));  // RT_DIALOG
        if (resource == nullptr) return;
        HGLOBAL loaded = LoadResource(module_, resource);
        const auto* dialogTemplate = static_cast<const DLGTEMPLATE*>(LockResource(loaded));
        dialog_ = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dialogTemplate, nullptr,
                                             idleDialogProc, 0);
    }
    ~UnitMapper() {
        if (dialog_ != nullptr) DestroyWindow(dialog_);
        if (module_ != nullptr) FreeLibrary(module_);
    }
    bool ready() const { return dialog_ != nullptr; }
    // The width of a text in the dialog's font, in pixels.
    int textWidth(const char* text) const {
        HDC dc = GetDC(dialog_);
        const HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(dialog_, WM_GETFONT, 0, 0)));
        SIZE size{};
        GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
        SelectObject(dc, old);
        ReleaseDC(dialog_, dc);
        return size.cx;
    }
    // The dialog manager converts position and size each on its own, so
    // the right edge is mapped(x) + mapped(w), not mapped(x + w).
    RECT map(int x, int y, int w, int h) const {
        RECT units{x, y, w, h};
        MapDialogRect(dialog_, &units);
        return RECT{units.left, units.top, units.left + units.right, units.top + units.bottom};
    }

private:
    HMODULE module_ = nullptr;
    HWND dialog_ = nullptr;
};

std::string rectText(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " - " +
           std::to_string(r.right) + "," + std::to_string(r.bottom);
}

void checkWindow(FlowContext& context, HWND window, const UnitMapper& units) {
    Checks& checks = context.checks;
    char caption[128] = {};
    GetWindowTextA(window, caption, sizeof caption);
    checks.equal("caption", caption, "Wrenbolt Config v1.8");
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    const LONG wanted = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE;
    checks.check((style & wanted) == wanted, "window styles: popup, caption, system menu, shown");
    checks.check((style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)) == 0,
                 "window has no minimise, maximise or sizing border");

    RECT outer{};
    GetWindowRect(window, &outer);
    const int w = outer.right - outer.left;
    const int h = outer.bottom - outer.top;
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - w / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2 - h / 2;
    checks.equal("window centred: left", outer.left, x);
    checks.equal("window centred: top", outer.top, y);

    RECT client{};
    GetClientRect(window, &client);
    const RECT size = units.map(0, 0, 295, 233);
    checks.check(client.right == size.right && client.bottom == size.bottom,
                 "client area is 295 x 233 dialog units",
                 "got " + rectText(client) + ", expected " + rectText(size));
}

void checkItems(FlowContext& context, HWND window, const UnitMapper& units) {
    Checks& checks = context.checks;
    std::vector<HWND> children;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    constexpr std::size_t kCount = sizeof kItems / sizeof kItems[0];
    checks.equal("dialog items", static_cast<long long>(children.size()),
                 static_cast<long long>(kCount));
    for (std::size_t i = 0; i < kCount && i < children.size(); ++i) {
        const Item& item = kItems[i];
        HWND child = children[i];
        const std::string name = "item " + std::to_string(i + 1) + " (" +
                                 (item.text != nullptr ? item.text : std::to_string(item.id)) + ")";
        std::string problems;
        const int id = static_cast<int>(static_cast<short>(GetDlgCtrlID(child) & 0xFFFF));
        if (id != item.id) problems += " id " + std::to_string(id);
        const std::string cls = className(child);
        if (!sameClass(cls, item.cls)) problems += " class " + cls;
        if (item.text != nullptr && textOf(child) != item.text) {
            problems += " text " + shown(textOf(child));
        }
        const RECT actual = clientRectOf(window, child);
        const RECT expected = units.map(item.x, item.y, item.w, item.h);
        // A combo box's height includes its dropped-down list.
        const bool heightCounts = item.id != IDC_PORT;
        if (actual.left != expected.left || actual.top != expected.top ||
            actual.right != expected.right ||
            (heightCounts && actual.bottom != expected.bottom)) {
            problems += " at " + rectText(actual) + " not " + rectText(expected);
        }
        if (item.id == kLabel && (GetWindowLongA(child, GWL_STYLE) & WS_TABSTOP) != 0) {
            problems += " has a tab stop";
        }
        checks.check(problems.empty(), name + ": id, class, text, place", problems);
    }
    // A label wraps at a blank when its text is wider than the label, and
    // its one line then shows only the first words ("Pre Tones" for "Pre
    // Tones Delay"): the dialog font must fit every label whole.
    std::string cut;
    for (const Item& item : kItems) {
        if (item.id != kLabel || !sameClass(item.cls, "Static")) continue;
        const RECT room = units.map(item.x, item.y, item.w, item.h);
        const int width = units.textWidth(item.text);
        if (width > room.right - room.left) {
            cut += " \"" + std::string(item.text) + "\" " + std::to_string(width) + " px in " +
                   std::to_string(room.right - room.left);
        }
    }
    checks.check(cut.empty(), "every label's text fits its width in the dialog font", cut);
}

void checkStyles(FlowContext& context, HWND window) {
    Checks& checks = context.checks;
    for (const StyleRule& rule : kStyles) {
        const LONG style = GetWindowLongA(GetDlgItem(window, rule.id), GWL_STYLE);
        checks.check((style & rule.required) == rule.required && (style & rule.forbidden) == 0,
                     "styles of " + std::to_string(rule.id),
                     "style " + std::to_string(style));
    }
    const LONG statusExtended = GetWindowLongA(GetDlgItem(window, IDC_STATUS), GWL_EXSTYLE);
    checks.check((statusExtended & WS_EX_RIGHT) != 0, "status line is right-aligned");
    for (const int id : kPushButtons) {
        const LONG style = GetWindowLongA(GetDlgItem(window, id), GWL_STYLE);
        checks.check((style & BS_TYPEMASK) == BS_PUSHBUTTON && (style & WS_TABSTOP) != 0,
                     "button " + std::to_string(id) + " is a plain push button with a tab stop");
    }
    for (const int id : kCheckBoxes) {
        const LONG style = GetWindowLongA(GetDlgItem(window, id), GWL_STYLE);
        checks.check((style & BS_TYPEMASK) == BS_AUTOCHECKBOX && (style & WS_TABSTOP) != 0,
                     "check box " + std::to_string(id) + " toggles itself, tab stop");
    }
}

void checkTabOrder(FlowContext& context, HWND window) {
    std::string order;
    HWND current = GetDlgItem(window, IDC_PRE_TONES_DELAY);
    for (std::size_t i = 0; i < sizeof kEnabledTabOrder / sizeof kEnabledTabOrder[0]; ++i) {
        order += std::to_string(GetDlgCtrlID(current)) + " ";
        current = GetNextDlgTabItem(window, current, FALSE);
    }
    order += std::to_string(GetDlgCtrlID(current));
    std::string expected;
    for (const int id : kEnabledTabOrder) expected += std::to_string(id) + " ";
    expected += "1017";
    context.checks.equal("tab order of the enabled controls", order, expected);
}

}  // namespace


void flowStartup(FlowContext& context) {
    Checks& checks = context.checks;
    Program program;
    if (!launch(context, program, {}, false)) return;
    HWND window = program.window();
    // The template's text ("Static", which the resource check holds) until
    // the first timer message, then the empty status text. The first tick
    // comes 100 ms after the window shows, so a driver held back that long
    // on a loaded machine reads the empty text already; anything else is a
    // text the program set at start.
    const std::string first = itemText(window, IDC_STATUS);
    checks.check(first == "Static" || first.empty(), "status line before the first tick",
                 "shows " + shown(first));
    StatusWatch status(window);
    checks.check(status.waitForText("", 3000), "status line empty after the first tick",
                 "shows " + shown(status.current()));

    UnitMapper units(context.exe());
    if (checks.check(units.ready(), "template 129 loads in the driver")) {
        checkWindow(context, window, units);
        checkItems(context, window, units);
    }
    checkStyles(context, window);

    for (const FieldValue& field : kDefaultFields) {
        checks.equal("default of " + std::to_string(field.id), itemText(window, field.id),
                     field.text);
    }
    checks.equal("default tone list length", static_cast<long long>(std::strlen(kDefaultTones)),
                 242);
    for (const BoxValue& box : kDefaultBoxes) {
        checks.check(isItemChecked(window, box.id) == box.checked,
                     "default of check box " + std::to_string(box.id));
    }
    checkEnabling(checks, window, 0, "start-up");

    HWND combo = GetDlgItem(window, IDC_PORT);
    const auto entries = comboEntries(combo);
    checks.check(entries.size() == 1 && entries[0] == "No COM Ports Found",
                 "no port opens: the single entry \"No COM Ports Found\"",
                 std::to_string(entries.size()) + " entries, the first " +
                     shown(entries.empty() ? std::string() : entries.front()));
    checks.equal("port selector shows", textOf(combo), "No COM Ports Found");

    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread);
    checks.check(thread.hwndFocus == GetDlgItem(window, IDC_PRE_TONES_DELAY),
                 "keyboard focus starts in Pre Tones Delay");
    checkTabOrder(context, window);
    screenshot(context, window, "startup");

    // The selector's text is the port name, listed or not.
    runCommand(context, window, IDC_READ_VERSION, "Could not open Com Port No COM Ports Found",
               5000);
    choosePort(window, "COM9");
    runCommand(context, window, IDC_READ_CONFIG, "Could not open Com Port COM9", 5000);
    // Only the first 99 characters of the selector's text name the port.
    const std::string longName = "COM" + std::string(117, '7');
    choosePort(window, longName);
    if (itemText(window, IDC_PORT) == longName) {
        runCommand(context, window, IDC_READ_VERSION,
                   "Could not open Com Port " + longName.substr(0, 99), 5000);
    } else {
        checks.check(false, "selector takes a 120-character name",
                     "holds " + shown(itemText(window, IDC_PORT)));
    }
    checkEnabling(checks, window, 0, "after failed commands");

    quitAndCheckExit(context, program, "Escape");
}

}  // namespace wbgui
