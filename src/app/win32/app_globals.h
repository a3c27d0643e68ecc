#pragma once

#include "config/beacon_device.h"
#include "config/codec_context.h"
#include "serial/serial_port.h"

namespace wb::app {

// The program's one serial port and one beacon state, defined together in
// app_globals.cpp so that the port is built first and destroyed last.
extern SerialPort serialPort;
extern BeaconDevice beaconDevice;
// noLimit from the command line; the truncation notice as a message box.
extern CodecContext codecContext;

}  // namespace wb::app
