#pragma once

#include <memory>

#include "serial/comm_api.h"

namespace wb {

// The serial calls of the platform the program is built for: the Win32
// communications API on Windows, termios device files elsewhere (where a
// port name is a device path such as /dev/ttyUSB0).
std::unique_ptr<CommApi> makePlatformComm();

}  // namespace wb
