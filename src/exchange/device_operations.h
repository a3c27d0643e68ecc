#pragma once

#include <string>
#include <string_view>

#include "config/beacon_device.h"
#include "exchange/link_guard.h"
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

// Where the operation under way stands, for progress and for a stop.
// The beacon's image is coming in (Read Config, after the identification).
bool readingImage(const BeaconDevice& device);
// The write request went out and the image follows, chunk by chunk.
bool writingImage(const BeaconDevice& device);
// The next tick sends image bytes.
bool sendsImageNext(const BeaconDevice& device);
// The whole image went out: only its read-back may still be missing.
bool wholeImageSent(const BeaconDevice& device);

// Call after a tick that ran an operation on a port behind `link`. When
// the port failed under it, ends the operation at once (nothing more goes
// to a dead port) with the port's first failure as its outcome, not what
// the missing bytes would make of it later ("Corrupted EEPROM", "Config
// not read "). An operation that finished well keeps its outcome. True
// when it ended so.
bool endOnLostLink(BeaconDevice& device, SerialPort& port, const LinkGuard& link);
// The operation ended so: the port was lost under it.
bool lostLink(const BeaconDevice& device, const LinkGuard& link);

// The port's own failure text, when it has one: a front end shows it beside
// a status text that says something else.
const std::string& portFailure(const SerialPort& port);
// Why the port would not open, where the platform said; empty for every
// other ending.
std::string_view openFailureReason(const BeaconDevice& device, const SerialPort& port);

}  // namespace wb
