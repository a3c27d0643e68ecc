#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "config/beacon_device.h"
#include "config/config_image.h"
#include "exchange/guarded_write.h"
#include "plan/cable_watch.h"
#include "plan/hunt_plan.h"
#include "plan/plan_report.h"
#include "serial/serial_port.h"

namespace wb {

// What a plan run needs from its front end: somewhere to keep backups, the
// time of day, and a place for its messages and report rows.
class PlanHost {
public:
    virtual ~PlanHost() = default;
    // Keeps the image read from the beacon before it is written. Returns
    // true with the file's path in `pathOrError`, or false with why not.
    virtual bool saveBackup(const std::string& name, const ConfigImage& image,
                            std::string& pathOrError) = 0;
    // UTC, ISO 8601.
    virtual std::string utcNow() = 0;
    // One line of the run's own progress (the exchange's texts are in the
    // device's status text as usual).
    virtual void message(const std::string& line) = 0;
    // One attempt is over.
    virtual void row(const PlanReportRow& row) = 0;
    // True once the user has asked to stop at once: an exchange that fails
    // then was cut short by them, which says nothing of the beacon.
    virtual bool stopRequested() { return false; }
};

struct PlanRunOptions {
    bool noLimit = false;
    // Wait for confirmConnected() instead of detecting each new beacon.
    bool confirm = false;
};

enum class PlanPhase {
    WaitingForBeacon,   // identifying again and again until one answers
    Confirming,         // --confirm: waiting for confirmConnected()
    Writing,            // backup read, write and verification
    WaitingForRemoval,  // until an identification finds nobody
    Finished,
};

// Programs the beacons of a plan one after another through one port. It is
// a machine driven by the same 100 ms tick as the exchange it runs: tick()
// never waits on its own, so any front end with a timer can drive it.
//
// For each entry: detect a beacon by Read Config again and again (a port
// that cannot be opened is tried again each second); a beacon of the other
// model or one whose image cannot be read is reported and not written;
// otherwise back its image up, write the entry and verify it. After every
// beacon that answered, wait until one identification (its three tries)
// finds nobody, so one beacon left on the cable is never written twice.
// Entries advance only on a verified write.
class PlanRun {
public:
    PlanRun(const HuntPlan& plan, BeaconDevice& device, SerialPort& port, PlanHost& host,
            PlanRunOptions options = {});

    // The port sits on `link`: a write whose port fails ends at once.
    void watchLink(const LinkGuard& link) { write_.watch(link); }
    // One 100 ms tick.
    void tick();
    // --confirm: the user says the beacon is on the cable.
    void confirmConnected();
    // Ends the run: a write under way is finished first, any other
    // exchange is abandoned at once.
    void stop();
    // Ends the run at once, a write under way included (reported as
    // interrupted: the beacon may hold part of the new image).
    void abandon();
    // --confirm: no confirmation will ever come (the input has ended). The
    // run ends before the beacon it waited for, which is not touched.
    void endOfInput();

    PlanPhase phase() const { return phase_; }
    bool finished() const { return phase_ == PlanPhase::Finished; }
    bool interrupted() const { return interrupted_; }
    // True while the exchange's own progress is worth showing: reading the
    // backup and writing, not the endless identifications of the waits.
    bool exchangeShown() const;
    std::size_t programmed() const { return programmed_; }
    std::size_t total() const { return plan_.entries.size(); }
    bool allProgrammed() const { return programmed_ == total(); }
    // True from a verified write until the run waits for the next beacon:
    // what a stop says of the beacon on the cable.
    bool verifiedOnCable() const { return verifiedOnCable_; }
    // "N of M beacons programmed"
    std::string summary() const;

private:
    enum class Operation { None, Detect, Write, RemovalCheck };

    void startNext();
    void start(ExchangeState first, Operation operation);
    void operationEnded();
    void detected();
    void written();
    void attemptFailed(const std::string& status);
    void waitForRemoval(const std::string& why);
    void askForBeacon();
    void finish();
    void report(const std::string& status, bool imageSent);
    void cutShort(bool wholeImage);

    const HuntPlan& plan_;
    BeaconDevice& device_;
    PlanHost& host_;
    PlanRunOptions options_;

    PlanPhase phase_ = PlanPhase::WaitingForBeacon;
    Operation operation_ = Operation::None;
    std::size_t entry_ = 0;
    std::size_t programmed_ = 0;
    bool asked_ = false;
    bool confirmed_ = false;
    bool stopping_ = false;
    bool interrupted_ = false;
    bool imageSent_ = false;
    bool verifiedOnCable_ = false;
    CableWatch watch_;
    // The detection is the backup read: the watch starts it on the device.
    GuardedWrite write_;
    std::string version_;
    std::string backup_;
};

}  // namespace wb
