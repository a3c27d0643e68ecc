#pragma once

#include <map>
#include <string>

#include "automation.h"
#include "checks.h"

namespace wbgui {

// What the runner hands to a flow: key=value pairs from the command line.
struct FlowContext {
    Checks& checks;
    std::map<std::string, std::string> options;

    // A required option; an empty text (and a failed check) when missing.
    std::string option(const std::string& key);
    std::string exe() { return option("exe"); }
    // A path in the artefact folder, Windows style.
    std::string artifact(const std::string& name) { return option("out") + "\\" + name; }
};

// The texts the simulated beacons answer the version request with.
inline constexpr char kBasicVersionStatus[] = "Version Read : \"Wrenbolt v2.1\r\n\"";
inline constexpr char kTarselVersionStatus[] = "Version Read : \"Wrenbolt-Tarsel v1.07\r\n\"";

// Times the program's steps take, with room for a slow machine.
inline constexpr DWORD kStartTimeoutMs = 30000;
inline constexpr DWORD kIdentifyTimeoutMs = 15000;
inline constexpr DWORD kReadTimeoutMs = 20000;
inline constexpr DWORD kWriteTimeoutMs = 40000;
inline constexpr DWORD kDialogTimeoutMs = 30000;

// Starts the program (with the given text after its name) and waits for
// its window. False, with a failed check, when it does not appear.
// waitForList: also until the window's initialisation has ended.
bool launch(FlowContext& context, Program& program, const std::string& arguments = {},
            bool waitForList = true);
// Quits through the given button or key and checks exit code 0.
void quitAndCheckExit(FlowContext& context, Program& program, const std::string& how);

// The model-specific controls and whether each is expected enabled.
void checkEnabling(Checks& checks, HWND window, int model, const std::string& when);

// Picks the port by typing its name into the selector's edit part.
void choosePort(HWND window, const std::string& name);

// Runs a device command and waits for its final status text.
bool runCommand(FlowContext& context, HWND window, int id, const std::string& finalStatus,
                DWORD timeoutMs, StatusWatch* watch = nullptr);

// Answers the open or save dialog the program shows with the given path.
// proposedName, when not null, is the name the dialog must offer first.
bool answerFileDialog(FlowContext& context, Program& program, const std::string& path,
                      const char* proposedName);

// Saves a picture of the main window (converted to PNG by the runner).
void screenshot(FlowContext& context, HWND window, const std::string& name);

struct FieldValue {
    int id;
    const char* text;
};
struct BoxValue {
    int id;
    bool checked;
};

// The settings typed in the save-and-load flow, which the read-and-write
// flow then finds on the beacon.
void typeEditedValues(HWND window);
void checkEditedValues(Checks& checks, HWND window, const std::string& when);

void flowStartup(FlowContext& context);
void flowPorts(FlowContext& context);
void flowSaveLoad(FlowContext& context);
void flowReadWrite(FlowContext& context);
void flowTruncation(FlowContext& context);
void flowNoLimit(FlowContext& context);
void flowNoWindow(FlowContext& context);
void flowDemo(FlowContext& context);

}  // namespace wbgui
