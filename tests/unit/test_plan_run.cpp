// The hunt plan's run against a simulated fleet on one cable, on a virtual
// clock: beacons swapped one after another, one left on the cable, one of
// the other model, a line that drops during a write, a port that vanishes
// for a while, and a stop in the middle of a write.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "config/beacon_device.h"
#include "exchange/device_exchange.h"
#include "exchange/link_guard.h"
#include "exchange/protocol.h"
#include "plan/plan_check.h"
#include "plan/plan_run.h"
#include "serial/serial_port.h"
#include "sim/beacon_peer.h"
#include "sim/simulated_comm.h"
#include "sim/simulated_fleet.h"
#include "sim/virtual_clock.h"
#include "support/recording_cycle_host.h"
#include "util/sha256.h"

namespace wb {
namespace {

HuntPlan tarselPlan(const std::vector<std::string>& names) {
    HuntPlan plan;
    plan.model = kTarselModel;
    for (const std::string& name : names) {
        PlanEntry entry;
        entry.name = name;
        entry.record.morseText = " " + name + " ";
        entry.record.loopTimeSec = 60;
        plan.entries.push_back(entry);
    }
    EXPECT_EQ(checkPlanEntries(plan, {}), std::nullopt);
    return plan;
}

BeaconOptions beacon(DeviceModel model = kTarselModel, BeaconFault fault = BeaconFault::None) {
    BeaconOptions options;
    options.model = model;
    options.fault = fault;
    return options;
}

// The fleet's line, which can be made to chatter: while it does, every
// byte from the host is answered by a byte of noise and reaches no beacon.
class ChatteringLine : public BeaconPeer {
public:
    explicit ChatteringLine(BeaconPeer& inner) : inner_(inner) {}
    bool chatter = false;

    void receive(std::uint8_t byte, std::int64_t atUs) override {
        if (chatter) {
            noise_.push_back(atUs + 5'000);
        } else {
            inner_.receive(byte, atUs);
        }
    }
    std::optional<std::int64_t> nextByteTimeUs() const override {
        return noise_.empty() ? inner_.nextByteTimeUs() : noise_.front();
    }
    std::uint8_t takeByte() override {
        if (noise_.empty()) return inner_.takeByte();
        noise_.pop_front();
        return 0x3F;
    }
    void discardUntil(std::int64_t atUs) override {
        while (!noise_.empty() && noise_.front() <= atUs) noise_.pop_front();
        inner_.discardUntil(atUs);
    }
    bool lineDropped() const override { return inner_.lineDropped(); }

private:
    BeaconPeer& inner_;
    std::deque<std::int64_t> noise_;
};

struct PlanRig {
    VirtualClock clock;
    SimulatedFleet fleet;
    ChatteringLine line{fleet};
    SimulatedComm comm;
    // As the command line has it: the port gives up at its first failure.
    LinkGuard guard;
    SerialPort port;
    BeaconDevice device;
    test::RecordingCycleHost host;
    HuntPlan plan;
    PlanRun run;

    PlanRig(HuntPlan huntPlan, FleetOptions fleetOptions, PlanRunOptions options = {})
        : fleet(std::move(fleetOptions)), comm(line, clock), guard(comm), port(guard),
          plan(std::move(huntPlan)), run(plan, device, port, host, options) {
        run.watchLink(guard);
        comm.addPortName("/dev/ttyUSB0");
        port.setPortName("/dev/ttyUSB0");
    }

    // The CLI's schedule: a tick every 100 ms, or at once after a long one.
    // `each` sees every tick; the run stops at `limitUs` of virtual time.
    template <typename Each>
    void drive(std::int64_t limitUs, Each each) {
        std::int64_t due = clock.nowUs() + 100'000;
        while (!run.finished() && clock.nowUs() < limitUs) {
            clock.sleepUs(due - clock.nowUs());
            run.tick();
            each();
            due = std::max(due + 100'000, clock.nowUs());
        }
    }
    void drive(std::int64_t limitUs = 600'000'000) {
        drive(limitUs, [] {});
    }

    std::size_t writes(std::size_t beaconIndex) const {
        std::size_t n = 0;
        for (const auto& r : fleet.beacons().at(beaconIndex)->requests()) {
            if (r.kind == BeaconRequestKind::WriteImage) ++n;
        }
        return n;
    }
};

FleetOptions fleetOf(std::vector<BeaconOptions> beacons, std::int64_t lingerUs = 0) {
    FleetOptions options;
    options.beacons = std::move(beacons);
    options.swapAfterWrite = true;
    options.lingerUs = lingerUs;
    return options;
}

TEST(PlanRun, ThreeBeaconsInARowWithRemovalBetween) {
    PlanRig rig(tarselPlan({"MOE", "MOI", "MOS"}), fleetOf({beacon(), beacon(), beacon()}));
    // The USB adapter is pulled out for a while as the second beacon is due.
    bool pulled = false;
    rig.drive(600'000'000, [&] {
        if (!pulled && rig.run.programmed() == 1 && rig.run.phase() == CyclePhase::WaitingForBeacon) {
            rig.comm.setBusy(true);
            pulled = true;
        }
        if (pulled && rig.run.programmed() == 1 && rig.host.messages.back().rfind("Waiting", 0) == 0) {
            rig.comm.setBusy(false);
        }
    });
    ASSERT_TRUE(rig.run.finished());
    EXPECT_TRUE(rig.run.allProgrammed());
    EXPECT_FALSE(rig.run.interrupted());
    ASSERT_EQ(rig.fleet.beacons().size(), 3u);
    ASSERT_EQ(rig.host.rows.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const PlanEntry& entry = rig.plan.entries[i];
        EXPECT_EQ(rig.fleet.beacons()[i]->eeprom(), entry.image) << entry.name;
        EXPECT_EQ(rig.writes(i), 1u) << entry.name;
        const PlanReportRow& row = rig.host.rows[i];
        EXPECT_EQ(row.name, entry.name);
        EXPECT_EQ(row.version, "Wrenbolt-Tarsel v1.07");
        EXPECT_EQ(row.status, "Config Written Successfully!");
        EXPECT_EQ(row.sha256, sha256Hex(entry.image));
        EXPECT_EQ(row.backup, "plan-backups/" + entry.name + "-before.wb1");
        EXPECT_EQ(rig.host.backups.at(entry.name), factoryImage(kTarselModel));
    }
    EXPECT_TRUE(rig.host.said("Connect beacon MOE (1 of 3)"));
    EXPECT_TRUE(rig.host.said("Connect beacon MOS (3 of 3)"));
    EXPECT_TRUE(rig.host.said("Beacon MOI programmed (2 of 3); remove it"));
    // Plugged in again, the run says what it waits for.
    EXPECT_EQ(rig.host.saidAfter("Waiting for the port (Could not open Com Port /dev/ttyUSB0)"),
              "Connect beacon MOI (2 of 3)");
    EXPECT_EQ(rig.run.summary(), "3 of 3 beacons programmed");
}

TEST(PlanRun, ABeaconLeftOnTheCableIsNotWrittenTwice) {
    // The first beacon stays a whole minute after its write; its line
    // chatters for a while, and the USB adapter is pulled out for a few
    // seconds during a removal check: neither garbage nor failed reads are
    // a sign that the beacon left.
    PlanRig rig(tarselPlan({"MOE", "MOI"}), fleetOf({beacon(), beacon()}, 60'000'000));
    std::int64_t pulledAtUs = 0;
    std::int64_t chatteredAtUs = 0;
    rig.drive(600'000'000, [&] {
        if (chatteredAtUs == 0 && rig.run.phase() == CyclePhase::WaitingForRemoval) {
            rig.line.chatter = true;
            chatteredAtUs = rig.clock.nowUs();
        }
        if (chatteredAtUs > 0 && rig.clock.nowUs() > chatteredAtUs + 8'000'000) rig.line.chatter = false;
        // A check just started: its request sent, the reply not yet read.
        const bool checking = rig.run.phase() == CyclePhase::WaitingForRemoval && exchangeBusy(rig.device) &&
                              rig.device.versionReply.empty();
        if (pulledAtUs == 0 && rig.run.programmed() == 1 && checking && rig.clock.nowUs() > 20'000'000) {
            rig.comm.failStep(CommStep::Read);
            rig.comm.setBusy(true);
            pulledAtUs = rig.clock.nowUs();
        }
        if (pulledAtUs > 0 && rig.clock.nowUs() > pulledAtUs + 3'000'000) {
            rig.comm.failStep(CommStep::Read, 0);
            rig.comm.setBusy(false);
        }
    });
    EXPECT_EQ(rig.writes(0), 1u);
    ASSERT_GT(chatteredAtUs, 0);
    ASSERT_GT(pulledAtUs, chatteredAtUs + 8'000'000);
    ASSERT_TRUE(rig.run.allProgrammed());
    EXPECT_EQ(rig.writes(1), 1u);
    EXPECT_EQ(rig.host.rows.size(), 2u);
    EXPECT_GT(rig.fleet.events()[1].atUs, 60'000'000);
    EXPECT_EQ(rig.host.saidAfter("Waiting for the port (Could not open Com Port /dev/ttyUSB0)"),
              "Beacon MOE programmed (1 of 2); remove it");
    // The run ends once the last beacon is verified, with it still on the
    // cable and the user told to remove it.
    ASSERT_TRUE(rig.run.finished());
    EXPECT_NE(rig.fleet.connected(), nullptr);
    EXPECT_TRUE(rig.run.verifiedOnCable());
    EXPECT_EQ(rig.host.messages.back(), "Beacon MOI programmed (2 of 2); remove it");
}

TEST(PlanRun, ABeaconOfTheOtherModelIsRefused) {
    PlanRig rig(tarselPlan({"MOE", "MOI"}),
                fleetOf({beacon(), beacon(kBasicModel), beacon()}));
    rig.drive();
    ASSERT_TRUE(rig.run.allProgrammed());
    EXPECT_EQ(rig.writes(1), 0u);
    EXPECT_EQ(rig.fleet.beacons()[1]->eeprom(), factoryImage(kBasicModel));
    EXPECT_EQ(rig.fleet.beacons()[2]->eeprom(), rig.plan.entries[1].image);
    ASSERT_EQ(rig.host.rows.size(), 3u);
    const PlanReportRow& refused = rig.host.rows[1];
    EXPECT_EQ(refused.name, "MOI");
    EXPECT_EQ(refused.version, "Wrenbolt v2.1");
    EXPECT_EQ(refused.status,
              "Wrong model: a Basic beacon for a Tarsel plan; not written");
    EXPECT_EQ(refused.sha256, "");
    EXPECT_EQ(refused.backup, "");
    EXPECT_EQ(rig.host.backups.size(), 2u);
}

TEST(PlanRun, ALineDropDuringAWriteIsReportedAndTheEntryRetried) {
    BeaconOptions dropping = beacon(kTarselModel, BeaconFault::LineDrop);
    // The backup read moves 256 image bytes; the line goes 100 bytes into
    // the write.
    dropping.dropAfterBytes = 356;
    PlanRig rig(tarselPlan({"MOE", "MOI"}), fleetOf({beacon(), dropping, beacon()}));
    rig.drive();
    ASSERT_TRUE(rig.run.allProgrammed());
    ASSERT_EQ(rig.host.rows.size(), 3u);
    EXPECT_EQ(rig.host.rows[1].name, "MOI");
    EXPECT_EQ(rig.host.rows[1].status, "Config not read ");
    EXPECT_EQ(rig.host.rows[1].sha256, sha256Hex(rig.plan.entries[1].image));
    EXPECT_EQ(rig.host.rows[2].name, "MOI");
    EXPECT_EQ(rig.host.rows[2].status, "Config Written Successfully!");
    EXPECT_TRUE(rig.host.said(
        "Beacon MOI not programmed (Config not read ); remove it, the next beacon gets MOI"));
    EXPECT_EQ(rig.fleet.beacons()[2]->eeprom(), rig.plan.entries[1].image);
}

// The adapter fails after four chunks of a write and works again a few
// seconds later: the write ends at its first failed byte, the row has the
// first failure and no checksum, the plan says the beacon was cut off and
// waits for it to be taken off.
TEST(PlanRun, APortLostMidWriteIsCutOffWithoutAChecksum) {
    PlanRig rig(tarselPlan({"MOE"}), fleetOf({beacon(), beacon()}));
    std::int64_t backAtUs = -1;
    rig.drive(30'000'000, [&] {
        if (backAtUs < 0 && rig.fleet.beacons()[0]->writeProgress() >= 4 * kChunkSize) {
            rig.comm.failStep(CommStep::Write);
            backAtUs = rig.clock.nowUs() + 3'000'000;
        } else if (backAtUs > 0 && rig.clock.nowUs() >= backAtUs) {
            rig.comm.failStep(CommStep::Write, 0);
            backAtUs = 0;
        }
    });
    EXPECT_EQ(rig.run.phase(), CyclePhase::WaitingForRemoval);
    ASSERT_EQ(rig.host.rows.size(), 1u);
    EXPECT_EQ(rig.host.rows[0].status, "Write: Failed 1");
    EXPECT_EQ(rig.host.rows[0].sha256, "");
    EXPECT_EQ(rig.host.rows[0].backup, "plan-backups/MOE-before.wb1");
    EXPECT_EQ(rig.host.messages, (std::vector<std::string>{
                                     "Connect beacon MOE (1 of 1)", "Backup saved to plan-backups/MOE-before.wb1",
                                     "The port was lost mid-write: the beacon was cut off and may hold part of "
                                     "the new image; its backup is plan-backups/MOE-before.wb1",
                                     "Beacon MOE not programmed (Write: Failed 1); remove it, the next beacon gets MOE"}));
    // The beacon holds the four chunks (and its old rest); nothing went to
    // the dead port after its first failure: no byte, read or pause until
    // it was opened again.
    ConfigImage cut = rig.host.backups["MOE"];
    std::copy_n(rig.plan.entries[0].image.begin(), 4 * kChunkSize, cut.begin());
    EXPECT_EQ(rig.fleet.beacons()[0]->eeprom(), cut);
    const auto& trace = rig.comm.trace();
    auto call = std::find_if(trace.begin(), trace.end(),
                             [](const CommCall& c) { return c.step == CommStep::Write && !c.ok; });
    ASSERT_NE(call, trace.end());
    for (++call; call != trace.end() && call->step != CommStep::Open; ++call) {
        EXPECT_EQ(call->step, CommStep::Close);
    }
}

TEST(PlanRun, StopLetsTheWriteFinishAndEndsTheRun) {
    // The last entry's write ends the run anyway: the stop still counts.
    for (const std::vector<std::string>& names : {std::vector<std::string>{"MOE", "MOI"}, {"MOE"}}) {
        SCOPED_TRACE(names.size());
        PlanRig rig(tarselPlan(names), fleetOf({beacon(), beacon()}));
        rig.drive(600'000'000, [&] {
            if (rig.run.phase() == CyclePhase::Working &&
                rig.device.exchangeState == ExchangeState::WritingConfig) {
                rig.run.stop();
            }
        });
        ASSERT_TRUE(rig.run.finished());
        EXPECT_TRUE(rig.run.interrupted());
        EXPECT_EQ(rig.run.programmed(), 1u);
        EXPECT_EQ(rig.fleet.beacons()[0]->eeprom(), rig.plan.entries[0].image);
        EXPECT_EQ(rig.run.summary(), "1 of " + std::to_string(names.size()) + " beacons programmed");
        EXPECT_EQ(rig.host.messages.back(), "Interrupted");
        EXPECT_FALSE(rig.comm.isOpen());
    }
}

// A report row the front end could not keep ends the run after that
// beacon, as what it is: no stop was asked for.
TEST(PlanRun, ARowNotKeptEndsTheRunWithoutAnInterruption) {
    PlanRig rig(tarselPlan({"MOE", "MOI"}), fleetOf({beacon(), beacon()}));
    rig.host.rowFails = true;
    rig.drive();
    ASSERT_TRUE(rig.run.finished());
    EXPECT_TRUE(rig.run.recordLost());
    EXPECT_FALSE(rig.run.interrupted());
    EXPECT_EQ(rig.run.programmed(), 1u);
    for (std::size_t i = 1; i < rig.fleet.beacons().size(); ++i) EXPECT_EQ(rig.writes(i), 0u) << "written after the row";
    EXPECT_FALSE(rig.host.said("Interrupted"));
    EXPECT_EQ(rig.host.messages.back(), "Beacon MOE programmed (1 of 2); remove it");
}

TEST(PlanRun, ConfirmWaitsForEnterAndAFailedBackupStopsBeforeAnyWrite) {
    PlanRig rig(tarselPlan({"MOE"}), fleetOf({beacon()}), PlanRunOptions{false, true});
    rig.host.backupFails = true;
    rig.drive(5'000'000);
    EXPECT_EQ(rig.run.phase(), CyclePhase::Confirming);
    EXPECT_TRUE(rig.fleet.beacons()[0]->requests().empty());
    EXPECT_TRUE(rig.host.said("Connect beacon MOE (1 of 1) and press Enter"));
    rig.run.confirmConnected();
    rig.drive();
    ASSERT_TRUE(rig.run.finished());
    EXPECT_EQ(rig.writes(0), 0u);
    ASSERT_EQ(rig.host.rows.size(), 1u);
    EXPECT_EQ(rig.host.rows[0].status, "Could not write the backup plan-backups/MOE-before.wb1");
    EXPECT_EQ(rig.run.summary(), "0 of 1 beacons programmed");
}

TEST(Sha256, KnownVectors) {
    const auto hex = [](std::string_view text) {
        return sha256Hex({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    };
    EXPECT_EQ(hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 56 bytes: the length no longer fits the first block.
    EXPECT_EQ(hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    // 112 bytes, two whole blocks before the padding.
    EXPECT_EQ(hex("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmn"
                  "opqrlmnopqrsmnopqrstnopqrstu"),
              "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
    const std::string million(1'000'000, 'a');
    EXPECT_EQ(hex(million), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    ConfigImage zeros{};
    EXPECT_EQ(sha256Hex(zeros), "5341e6b2646979a70e57653007a1f310169421ec9bdd9f1a5648f75ade005af1");
}

}  // namespace
}  // namespace wb
