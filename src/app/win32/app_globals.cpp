#include "app_globals.h"

#include <windows.h>

#include <memory>
#include <string>

#include "serial/platform_comm.h"

namespace wb::app {

namespace {

// No owner window: the dialog's buttons stay usable while it is shown.
void showTruncationNotice() {
    const std::string text(kTruncationText);
    const std::string caption(kTruncationCaption);
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
}

// The serial calls of Windows, behind the seam SerialPort works over.
const std::unique_ptr<CommApi> platformComm = makePlatformComm();

}  // namespace

// Order matters: construction runs top to bottom, destruction in reverse.
SerialPort serialPort(*platformComm);
BeaconDevice beaconDevice;
CodecContext codecContext{false, showTruncationNotice};

}  // namespace wb::app
