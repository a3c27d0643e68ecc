#include "serial/adapter_follower.h"

namespace wb {

void AdapterFollower::opened(const std::string& name) {
    if (noted_ && known_.name == name) return;
    noted_ = true;
    known_ = PortListing{name, {}, {}, {}};
    for (PortListing& port : list_()) {
        if (port.name == name) known_ = std::move(port);
    }
}

std::string AdapterFollower::moved(const std::string& name) {
    if (!noted_ || known_.name != name || (known_.alias.empty() && known_.usb.serial.empty())) return {};
    const std::vector<PortListing> now = list_();
    const std::string found = findMovedAdapter(known_, now);
    for (const PortListing& port : now) {
        if (!found.empty() && port.name == found) known_ = port;
    }
    return found;
}

}  // namespace wb
