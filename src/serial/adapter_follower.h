#pragma once

#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "serial/port_list.h"

namespace wb {

// Keeps to one USB adapter while a command waits for its port. An adapter
// pulled out and plugged back in while the port was still held comes back
// under another name (ttyUSB0 as ttyUSB1): this finds it by its by-id alias
// or its USB identity. A by-id name given by the user follows the adapter
// on its own and needs none of this.
class AdapterFollower {
public:
    using Lister = std::function<std::vector<PortListing>()>;
    explicit AdapterFollower(Lister list) : list_(std::move(list)) {}

    // The port `name` is open: notes which adapter it is (once per name).
    void opened(const std::string& name);
    // The port `name` is absent: the name its adapter has now, or empty
    // when it is not back, or cannot be told from others.
    std::string moved(const std::string& name);

private:
    Lister list_;
    PortListing known_;
    bool noted_ = false;
};

}  // namespace wb
