#pragma once

#include <cstddef>
#include <string>

#include "config/beacon_device.h"
#include "exchange/guarded_write.h"
#include "plan/cable_cycle.h"
#include "plan/hunt_plan.h"
#include "serial/serial_port.h"

namespace wb {

struct PlanRunOptions {
    bool noLimit = false;
    // Wait for confirmConnected() instead of detecting each new beacon.
    bool confirm = false;
};

// The cable cycle's write step: programs the beacons of a plan one after
// another. A beacon of the other model or one whose image cannot be read is
// reported and not written; otherwise its image is backed up, the entry
// written and verified. Entries advance only on a verified write; the run
// ends once the last one is verified, with that beacon still on the cable.
class PlanRun : public CableCycle {
public:
    PlanRun(const HuntPlan& plan, BeaconDevice& device, SerialPort& port, CycleHost& host,
            PlanRunOptions options = {});

    // The port sits on `link`: a write whose port fails ends at once.
    void watchLink(const LinkGuard& link) override { write_.watch(link); }
    std::size_t programmed() const { return programmed_; }
    std::size_t total() const { return plan_.entries.size(); }
    bool allProgrammed() const { return programmed_ == total(); }
    // True from a verified write until the run waits for the next beacon:
    // what a stop says of the beacon on the cable.
    bool verifiedOnCable() const { return verifiedOnCable_; }
    // "N of M beacons programmed"
    std::string summary() const;

protected:
    std::string prompt(bool confirm) const override;
    void identified() override;
    void workEnded() override;
    void workCutShort(bool wholeImage) override;
    void tickExchange() override;
    void removed() override;

private:
    void attemptFailed(const std::string& status);
    bool report(const std::string& status, bool imageSent);

    const HuntPlan& plan_;
    bool noLimit_;
    std::size_t entry_ = 0;
    std::size_t programmed_ = 0;
    bool imageSent_ = false;
    bool verifiedOnCable_ = false;
    // The detection is the backup read: the cycle starts it on the device.
    GuardedWrite write_;
    std::string version_;
    std::string backup_;
};

}  // namespace wb
