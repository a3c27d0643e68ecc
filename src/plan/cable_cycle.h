#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "config/beacon_device.h"
#include "config/config_image.h"
#include "exchange/link_guard.h"
#include "plan/cable_watch.h"
#include "plan/plan_report.h"
#include "serial/serial_port.h"

namespace wb {

// One beacon read by an audit, and what it was found to be.
struct AuditedBeacon {
    static constexpr std::size_t kNoEntry = static_cast<std::size_t>(-1);
    std::size_t entry = kNoEntry;  // the plan entry its text sounds like
    std::string name;              // that entry's name; empty for a stranger
    std::string text;              // the Morse text it stores
    std::string version;
    std::string result;            // audit_text::kMatches, kDiffers, ...
    std::string sha256;            // of the 256 bytes read
    DeviceConfig record;           // as read
    std::vector<std::string> differences;  // keys, as differingFields gives them
};

// What a cable cycle needs from its front end: the time of day, a place
// for its messages and report rows, and (for a step that writes) somewhere
// to keep backups. A row the front end could not keep ends the cycle:
// nothing more is done without its record.
class CycleHost {
public:
    virtual ~CycleHost() = default;
    // UTC, ISO 8601.
    virtual std::string utcNow() = 0;
    // One line of the cycle's own progress (the exchange's texts are in the
    // device's status text as usual).
    virtual void message(const std::string& line) = 0;
    // Keeps the image read from the beacon before it is written. Returns
    // true with the file's path in `pathOrError`, or false with why not.
    virtual bool saveBackup(const std::string& name, const ConfigImage& image, std::string& pathOrError);
    // One write attempt is over. False when the row could not be kept (the
    // front end has said why).
    virtual bool row(const PlanReportRow& row);
    // One beacon was audited. False as for row().
    virtual bool beacon(const AuditedBeacon& beacon);
    // True once the user has asked to stop at once: an exchange that fails
    // then was cut short by them, which says nothing of the beacon.
    virtual bool stopRequested() { return false; }
};

struct CycleOptions {
    // Wait for confirmConnected() instead of detecting each new beacon.
    bool confirm = false;
};

enum class CyclePhase {
    WaitingForBeacon,   // identifying again and again until one answers
    Confirming,         // --confirm: waiting for confirmConnected()
    Working,            // the step's own exchange (a write and its verification)
    WaitingForRemoval,  // until an identification hears nothing at all
    Finished,
};

// The beacons of a plan go through one cable one after another: wait for a
// beacon, identify it (Read Config, so its image is at hand), do this
// beacon's step, wait for its removal. The cycle is driven by the same
// 100 ms tick as the exchange it runs: tick() never waits on its own, so
// any front end with a timer can drive it.
//
// A beacon is detected by Read Config again and again (a port that cannot
// be opened is tried again each second). After every beacon that answered,
// the cycle waits until one identification (its three tries) hears nothing
// on a port that did not fail: a line that answers garbage is a beacon
// still there, so one beacon left on the cable is never taken for the next.
//
// A step derives from this class and fills in what differs: what to ask for,
// what to do with a beacon identified, and, when it starts an exchange of
// its own (startWork), what to make of its end.
class CableCycle {
public:
    CableCycle(BeaconDevice& device, SerialPort& port, CycleHost& host, CycleOptions options);
    virtual ~CableCycle() = default;
    CableCycle(const CableCycle&) = delete;
    CableCycle& operator=(const CableCycle&) = delete;

    // One 100 ms tick.
    void tick();
    // --confirm: the user says the beacon is on the cable.
    void confirmConnected();
    // Ends the cycle: the step's own exchange under way is finished first,
    // any other is abandoned at once.
    void stop();
    // Ends the cycle at once, the step's exchange included.
    void abandon();
    // --confirm: no confirmation will ever come (the input has ended). The
    // cycle ends before the beacon it waited for, which is not touched.
    void endOfInput();

    CyclePhase phase() const { return phase_; }
    bool finished() const { return phase_ == CyclePhase::Finished; }
    // Ended by stop() or abandon().
    bool interrupted() const { return interrupted_; }
    // Ended because the front end could not keep a row.
    bool recordLost() const { return recordLost_; }
    // True while the exchange's own progress is worth showing: reading the
    // image and the step's exchange, not the endless identifications.
    bool exchangeShown() const;
    // The port sits on `link`: a step whose port fails mid-image can end at
    // once instead of sending into a dead port. Only a writing step cares.
    virtual void watchLink(const LinkGuard& link) { (void)link; }

protected:
    // The message asking for the next beacon: `confirm` when the user is
    // to press Enter too.
    virtual std::string prompt(bool confirm) const = 0;
    // A beacon answered the detection: the device holds its outcome (Read
    // Config, or what went wrong). The step ends in startWork(),
    // waitForRemoval() or finish().
    virtual void identified() = 0;
    // The exchange begun by startWork() has ended, on its own.
    virtual void workEnded() {}
    // The exchange begun by startWork() was cut short by the user;
    // `wholeImage`: every image byte had gone out.
    virtual void workCutShort(bool wholeImage) { (void)wholeImage; }
    // One tick of an exchange under way.
    virtual void tickExchange();
    // The beacon left the cable; the cycle waits for the next one.
    virtual void removed() {}

    // The step's own exchange has been begun on the device.
    void startWork();
    // Says `why`, when there is anything to say, and waits for the beacon
    // to leave.
    void waitForRemoval(const std::string& why = {});
    // Waits so after `said`, a line the step has said already, which is
    // said again when the port comes back.
    void waitForRemovalAfter(const std::string& said);
    void finish();
    // Passes a row on; false (the cycle has ended) when it was not kept.
    bool keep(bool kept);

    BeaconDevice& device_;
    SerialPort& port_;
    CycleHost& host_;

private:
    enum class Operation { None, Detect, Work, RemovalCheck };

    void startNext();
    void start(ExchangeState first, Operation operation);
    void operationEnded();
    void detected();
    void removalChecked();
    void cutShort(bool wholeImage);

    CycleOptions options_;
    CyclePhase phase_ = CyclePhase::WaitingForBeacon;
    Operation operation_ = Operation::None;
    bool asked_ = false;
    bool confirmed_ = false;
    bool stopping_ = false;
    bool interrupted_ = false;
    bool recordLost_ = false;
    // The removal check under way heard something: a beacon is there.
    bool heard_ = false;
    // What waitForRemoval() said, to say again when the port comes back.
    std::string removalWhy_;
    CableWatch watch_;
};

}  // namespace wb
