#pragma once

#include <string>
#include <string_view>

namespace wb {

// The name to hand to CreateFileA for a port the user calls `name`. Windows
// finds only COM1..COM9 under their bare names; "COM" followed by a number
// is opened through the device namespace ("\\.\COM12"), which works for
// every number. Any other name (already prefixed, or not a COM name) is
// used as given.
std::string win32DeviceName(std::string_view name);

// "COM" and a number, in any case: a Windows port name, never a file.
bool isComPortName(std::string_view name);

}  // namespace wb
