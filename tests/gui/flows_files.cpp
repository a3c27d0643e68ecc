// Save and Load through the common file dialogs, and a program that
// cannot create its window.
#include <cstdio>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "flows.h"

namespace wbgui {

namespace {

struct EditedField {
    int id;
    const char* typed;
    const char* shown;
};

// Values a Tarsel image holds exactly, so they read back as typed.
constexpr EditedField kEditedFields[] = {
    {IDC_PRE_TONES_DELAY, "5", "5"},       {IDC_TONES_DURATION, "20", "20"},
    {IDC_LOOP_TIME, "90", "90"},           {IDC_TONE_SPEED, "75", "75"},
    {IDC_TX_FREQUENCY, "145.5", "145.500"}, {IDC_RX_FREQUENCY, "144.800", "144.800"},
    {IDC_CALIBRATION, "-50", "-50.000"},   {IDC_TONES, "5,6 7\r\n200", "5, 6, 7, 200"},
    {IDC_UNLOCK_CODE, "907", "0907"},      {IDC_MORSE_TEXT, "CQ DE TEST", "CQ DE TEST"},
    {IDC_MORSE_SPEED, "24", "24"},         {IDC_MORSE_TONE, "30", "30"},
    {IDC_INITIAL_DELAY, "10", "10"},       {IDC_TOTAL_RUNTIME, "125", "125"},
};
constexpr BoxValue kEditedBoxes[] = {{IDC_RANDOM_TONES, true},  {IDC_RANDOM_SPEED, false},
                                     {IDC_RANDOM_MORSE, true},  {IDC_AUTO_START, true},
                                     {IDC_DISABLE_RX, false}};

// The same settings as the beacon's EEPROM holds them: offsets 0 to 21,
// the text from 22, the tones from 83, the marker at 245.
constexpr unsigned char kEditedHead[22] = {0x05, 0x00, 0x14, 0x00, 0x1E, 0x01, 0x0A, 0x00,
                                           0x05, 0x02, 0x00, 0x55, 0x00, 0x48, 0xA7, 0xA9,
                                           0x40, 0x9C, 0x0F, 0x0A, 0x1E, 0x0D};

std::vector<unsigned char> readFile(const std::string& path) {
    std::vector<unsigned char> bytes;
    FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) return bytes;
    unsigned char buffer[512];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    std::fclose(in);
    return bytes;
}

std::string hexBytes(const unsigned char* bytes, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X ", bytes[i]);
        out += hex;
    }
    return out;
}

void checkEditedFile(Checks& checks, const std::string& path) {
    const auto bytes = readFile(path);
    if (!checks.equal("saved file size", static_cast<long long>(bytes.size()), 264)) return;
    const unsigned char header[8] = {'W', 'B', '1', '4', 0x00, 0x01, 0x00, 0x00};
    checks.equal("saved file header", hexBytes(bytes.data(), 8), hexBytes(header, 8));
    const unsigned char* image = bytes.data() + 8;
    checks.equal("saved image, offsets 0 to 21", hexBytes(image, 22), hexBytes(kEditedHead, 22));
    const unsigned char text[] = "CQ DE TEST";  // with its terminating zero
    checks.equal("saved image, text", hexBytes(image + 22, sizeof text),
                 hexBytes(text, sizeof text));
    const unsigned char tones[] = {5, 6, 7, 200, 0};
    checks.equal("saved image, tones", hexBytes(image + 83, sizeof tones),
                 hexBytes(tones, sizeof tones));
    checks.equal("saved image, marker", image[245], 0xA8);
}

bool waitForStatus(FlowContext& context, HWND window, const std::string& text,
                   const std::string& name) {
    StatusWatch status(window);
    return context.checks.check(status.waitForText(text, 5000), name,
                                "status " + shown(status.current()));
}

// A copy of the program without its resources, so that template 129 is
// missing and the window cannot be created.
bool copyWithoutResources(const std::string& from, const std::string& to) {
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) return false;
    HANDLE update = BeginUpdateResourceA(to.c_str(), TRUE);
    if (update == nullptr) return false;
    return EndUpdateResourceA(update, FALSE) != 0;
}

}  // namespace

void typeEditedValues(HWND window) {
    for (const EditedField& field : kEditedFields) setItemText(window, field.id, field.typed);
    for (const BoxValue& box : kEditedBoxes) setItemChecked(window, box.id, box.checked);
}

void checkEditedValues(Checks& checks, HWND window, const std::string& when) {
    for (const EditedField& field : kEditedFields) {
        checks.equal(when + ": field " + std::to_string(field.id), itemText(window, field.id),
                     field.shown);
    }
    for (const BoxValue& box : kEditedBoxes) {
        checks.check(isItemChecked(window, box.id) == box.checked,
                     when + ": check box " + std::to_string(box.id));
    }
}

// COM3: a Tarsel beacon, identified first so that files carry its layout.
void flowSaveLoad(FlowContext& context) {
    Checks& checks = context.checks;
    Program program;
    if (!launch(context, program)) return;
    HWND window = program.window();
    if (!runCommand(context, window, IDC_READ_VERSION, kTarselVersionStatus, kIdentifyTimeoutMs)) {
        return;
    }

    // A cancelled Save does nothing.
    clickItem(window, IDC_SAVE);
    HWND dialog = waitForTopWindow(program.processId(), kDialogClass, nullptr, window,
                                   kDialogTimeoutMs);
    if (checks.check(dialog != nullptr, "save dialog opens")) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
        checks.check(waitUntil([&] { return IsWindow(dialog) == 0; }, 10000),
                     "save dialog closes on Cancel");
        Sleep(300);
        checks.equal("cancelled save: status unchanged", itemText(window, IDC_STATUS),
                     kTarselVersionStatus);
    }

    typeEditedValues(window);
    const std::string edited = context.artifact("edited.wb1");
    clickItem(window, IDC_SAVE);
    answerFileDialog(context, program, edited, "config1.wb1");
    if (waitForStatus(context, window, "File Saved", "Save reports \"File Saved\"")) {
        checkEditedFile(checks, edited);
    }

    // Load brings the saved settings back over other values.
    setItemText(window, IDC_MORSE_TEXT, "OTHER");
    setItemText(window, IDC_TONES, "9 9 9");
    setItemText(window, IDC_UNLOCK_CODE, "1111");
    setItemChecked(window, IDC_RANDOM_TONES, false);
    clickItem(window, IDC_LOAD);
    answerFileDialog(context, program, edited, nullptr);
    if (waitForStatus(context, window, "File Loaded", "Load reports \"File Loaded\"")) {
        checkEditedValues(checks, window, "after Load");
    }
    checkEnabling(checks, window, 2, "after Load");

    // Without /NOLIMIT a TX outside 144 to 148 MHz is not stored.
    setItemText(window, IDC_TX_FREQUENCY, "143.000");
    clickItem(window, IDC_SAVE);
    answerFileDialog(context, program, context.artifact("limited.wb1"), "config1.wb1");
    waitForStatus(context, window, "File Saved", "second Save reports \"File Saved\"");
    clickItem(window, IDC_LOAD);
    answerFileDialog(context, program, context.artifact("limited.wb1"), nullptr);
    waitForStatus(context, window, "File Loaded", "second Load reports \"File Loaded\"");
    checks.equal("TX 143.000 saved as 146.565", itemText(window, IDC_TX_FREQUENCY), "146.565");

    // A long tone list is read whole from the field: 161 entries, the most a
    // Tarsel image holds, take about 800 characters.
    std::string tones;
    unsigned char expectedTones[162] = {};
    for (int i = 0; i < 161; ++i) {
        expectedTones[i] = static_cast<unsigned char>(100 + i % 156);
        tones += std::to_string(100 + i % 156) + (i % 10 == 9 ? ",\r\n" : ", ");
    }
    setItemText(window, IDC_TONES, tones);
    clickItem(window, IDC_SAVE);
    answerFileDialog(context, program, context.artifact("long-tones.wb1"), "config1.wb1");
    if (waitForStatus(context, window, "File Saved", "long tone list saved")) {
        const auto bytes = readFile(context.artifact("long-tones.wb1"));
        checks.check(bytes.size() == 264 &&
                         hexBytes(bytes.data() + 8 + 83, sizeof expectedTones) ==
                             hexBytes(expectedTones, sizeof expectedTones),
                     "all 161 tones of a " + std::to_string(tones.size()) +
                         "-character list reach the file");
    }
    checks.check(topWindows(program.processId(), kDialogClass, "Text/Tones Truncated").empty(),
                 "161 tones fit without a notice");

    // The open dialog accepts a name that does not exist; the loader says so.
    clickItem(window, IDC_LOAD);
    answerFileDialog(context, program, context.artifact("missing.wb1"), nullptr);
    waitForStatus(context, window, "Failed to open file", "missing file: \"Failed to open file\"");
    checks.equal("missing file: form unchanged", itemText(window, IDC_TX_FREQUENCY), "146.565");

    quitAndCheckExit(context, program, "Close");
}

void flowNoWindow(FlowContext& context) {
    Checks& checks = context.checks;
    const std::string copy = context.artifact("no-dialog.exe");
    if (!checks.check(copyWithoutResources(context.exe(), copy), "copy without resources")) return;
    Program program;
    if (!checks.check(program.start(copy, "\"" + copy + "\""), "copy starts")) return;
    HWND box = waitForTopWindow(program.processId(), kDialogClass, kMainCaption, nullptr,
                                kStartTimeoutMs);
    if (!checks.check(box != nullptr, "a message box says the window is missing")) return;
    checks.equal("message", itemText(box, 0xFFFF),
                 "Wrenbolt Config could not create its window and will close.");
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    DWORD code = 0;
    const bool ended = program.waitForExit(10000, code);
    checks.check(ended, "program ends after the message");
    if (ended) checks.equal("exit code of a failed start", static_cast<long long>(code), 1);
}

}  // namespace wbgui
