#pragma once

#include "config/beacon_device.h"
#include "serial/serial_port.h"

namespace wb {

// The steps around the exchange that every front end but the dialog takes
// (the dialog keeps its own rules, in src/app).

// Starts an operation afresh: a new command gets its three tries, and a
// port failure left by an earlier one says nothing of this one.
void beginOperation(BeaconDevice& device, SerialPort& port, ExchangeState firstState);

// Abandons the operation under way, if any: the port closed, the exchange
// idle. Nothing more is sent, so a write stops where it was.
void abandonOperation(BeaconDevice& device, SerialPort& port);

// True when the next tick reads the line: a front end whose bytes arrive on
// their own (the page's) gathers them before it ticks.
bool nextTickReadsLine(const BeaconDevice& device);

// The identification just ended found nobody (all its tries) on a port that
// did not fail under it: the cable is empty. An adapter pulled out says
// nothing of the beacon, which may be on the cable still when it returns.
bool foundNobody(const BeaconDevice& device, const SerialPort& port);

}  // namespace wb
