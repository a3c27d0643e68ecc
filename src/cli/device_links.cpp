#include "cli/device_links.h"

#include "serial/platform_comm.h"

namespace wb {

CommApi& SystemDeviceLinks::linkFor(const std::string& portName) {
    if (isSimPortName(portName)) {
        if (!sim_) sim_ = makeSimLink(portName, clock_);
        return *sim_->comm;
    }
    if (!platform_) platform_ = makePlatformComm();
    return *platform_;
}

}  // namespace wb
