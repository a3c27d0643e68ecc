#include "cli/device_links.h"

#include "serial/platform_comm.h"

namespace wb {

CommApi& SystemDeviceLinks::linkFor(const std::string& portName) {
    if (!named_ && openNamed_) named_ = openNamed_(portName, clock_);
    if (named_) return *named_;
    if (!platform_) platform_ = makePlatformComm();
    return *platform_;
}

}  // namespace wb
