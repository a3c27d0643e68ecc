#pragma once

#include "config/beacon_device.h"
#include "config/codec_context.h"
#include "image/model_table.h"
#include "serial/serial_port.h"

namespace wb {

// The conversation with the beacon, one step per 100 ms poll tick.
// firstState is ReadVersion, VersionForRead or VersionForWrite.
void startOperation(BeaconDevice& device, SerialPort& port, ExchangeState firstState);

// One tick. True when the tick ended an identification or an image phase,
// so the caller shows the record again. The version reply is matched, and
// the image laid out, by the rows of `models`.
bool pollTick(BeaconDevice& device, SerialPort& port, ModelTable models = kModels);

// Encodes the record and starts a Write Config (returns false), or starts
// nothing and decodes the image back into the record (returns true).
bool prepareWrite(BeaconDevice& device, SerialPort& port, const CodecContext& context,
                  ModelTable models = kModels);

// True while an operation is under way, so that ticks still have work to do.
bool exchangeBusy(const BeaconDevice& device);

}  // namespace wb
