// The hunt plan's audit against a simulated fleet on a virtual clock: each
// case is the beacons on the cable in order and what the audit makes of
// them. No case may ever send a write request.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/beacon_device.h"
#include "config/record_view.h"
#include "plan/audit_texts.h"
#include "plan/hunt_sheet.h"
#include "plan/plan_audit.h"
#include "plan/plan_check.h"
#include "plan/plan_report.h"
#include "plan/same_text.h"
#include "serial/serial_port.h"
#include "sim/simulated_comm.h"
#include "sim/simulated_fleet.h"
#include "sim/virtual_clock.h"
#include "support/recording_cycle_host.h"
#include "util/csv_cells.h"
#include "util/shown_text.h"

namespace wb {
namespace {

HuntPlan plan3() {
    HuntPlan plan;
    plan.model = kTarselModel;
    for (const char* name : {"MOE", "MOI", "MOS"}) {
        PlanEntry entry;
        entry.name = name;
        entry.record.morseText = std::string(" ") + name + " ";
        entry.record.txFrequencyMHz = 144.5f;
        plan.entries.push_back(entry);
    }
    EXPECT_EQ(checkPlanEntries(plan, {}), std::nullopt);
    return plan;
}

// A beacon holding what the plan's entry stores, changed as `edit` says.
struct OnCable {
    std::string holds;  // entry name; "" the factory image
    DeviceModel model = kTarselModel;
    float txFrequency = 0;  // 0: as planned
};

ConfigImage imageFor(const HuntPlan& plan, const OnCable& c) {
    for (const PlanEntry& e : plan.entries) {
        if (e.name != c.holds) continue;
        BeaconDevice d;
        d.config = e.stored;
        d.config.model = c.model;
        if (c.txFrequency != 0) d.config.txFrequencyMHz = c.txFrequency;
        if (c.model == plan.model && c.txFrequency == 0) return e.image;
        HuntPlan one;
        one.model = c.model;
        one.entries.push_back(PlanEntry{e.name, d.config, {}, {}});
        EXPECT_EQ(checkPlanEntries(one, {}), std::nullopt);
        return one.entries[0].image;
    }
    return factoryImage(c.model);
}

struct AuditCase {
    const char* what;
    std::vector<OnCable> cable;
    bool stay = false;        // the last beacon stays on the cable for ever
    bool stopEarly = false;   // Ctrl-C after the first beacon
    std::vector<std::string> results;
    std::vector<std::string> differences;  // of the first "differs"
    std::vector<std::string> missing;
    bool ok;
    std::vector<std::string> said;
    // The USB adapter pulled out for two seconds while the first beacon is
    // removed: the line said once it is back.
    std::string afterPortBack = {};
};

TEST(PlanAudit, BeaconsOnTheCableInTurn) {
    const std::vector<AuditCase> cases = {
        {"all match", {{"MOE"}, {"MOS"}, {"MOI"}}, false, false,
         {"matches", "matches", "matches"}, {}, {}, true,
         {"MOE: matches the plan", "Connect a beacon to check (0 of 3 seen)", "3 of 3 beacons match the plan"}},
        {"a changed field", {{"MOE"}, {"MOI", kTarselModel, 146.565f}, {"MOS"}}, false, false,
         {"matches", "differs", "matches"}, {"txFrequencyMHz"}, {}, false,
         {"MOI: differs from the plan", "  TX Frequency: beacon 146.565, plan 144.500"}},
        {"a stranger and one never seen", {{"MOE"}, {""}, {"MOS"}}, false, false,
         {"matches", "not in plan", "matches"}, {}, {"MOI"}, false,
         {"Beacon \" WRENBOLT \": not in the plan", "Never seen: MOI"}},
        {"one seen twice", {{"MOE"}, {"MOE"}, {"MOI"}, {"MOS"}}, false, false,
         {"matches", "seen twice", "matches", "matches"}, {}, {}, false, {"MOE: seen twice"}},
        {"the other model", {{"MOE", kBasicModel}, {"MOI"}, {"MOS"}}, false, false,
         {"differs", "matches", "matches"}, {"model"}, {}, false, {"  Model: beacon Basic, plan Tarsel"}},
        {"one left connected", {{"MOE"}}, true, false, {"matches"}, {}, {"MOI", "MOS"}, false, {}},
        {"interrupted", {{"MOE"}, {"MOI"}, {"MOS"}}, false, true, {"matches"}, {}, {"MOI", "MOS"}, false,
         {"Interrupted"}},
        {"the port lost during a removal", {{"MOI", kTarselModel, 146.565f}, {"MOE"}, {"MOS"}}, false, false,
         {"differs", "matches", "matches"}, {"txFrequencyMHz"}, {}, false, {}, "MOI: differs from the plan"},
    };
    for (const AuditCase& c : cases) {
        SCOPED_TRACE(c.what);
        const HuntPlan plan = plan3();
        FleetOptions fleetOptions;
        fleetOptions.swapAfterWrite = true;
        fleetOptions.beacons.clear();
        fleetOptions.unwrittenStayUs = c.stay ? 3'600'000'000 : 3'000'000;
        for (const OnCable& b : c.cable) {
            BeaconOptions options;
            options.model = b.model;
            options.eeprom = imageFor(plan, b);
            fleetOptions.beacons.push_back(options);
        }
        VirtualClock clock;
        SimulatedFleet fleet(fleetOptions);
        SimulatedComm comm(fleet, clock);
        comm.addPortName("/dev/ttyUSB0");
        SerialPort port(comm);
        port.setPortName("/dev/ttyUSB0");
        BeaconDevice device;
        test::RecordingCycleHost host;
        PlanAudit audit(plan, device, port, host);
        std::int64_t due = clock.nowUs() + 100'000;
        std::int64_t pulledAtUs = 0;
        while (!audit.finished() && clock.nowUs() < 300'000'000) {
            clock.sleepUs(due - clock.nowUs());
            audit.tick();
            if (c.stopEarly && !host.seen.empty()) audit.stop();
            if (!c.afterPortBack.empty() && pulledAtUs == 0 && host.seen.size() == 1 &&
                audit.phase() == CyclePhase::WaitingForRemoval) {
                comm.setBusy(true);
                pulledAtUs = clock.nowUs();
            }
            if (pulledAtUs > 0 && clock.nowUs() > pulledAtUs + 2'000'000) comm.setBusy(false);
            due = std::max(due + 100'000, clock.nowUs());
        }
        if (!audit.finished()) audit.stop();
        std::vector<std::string> results;
        for (const AuditedBeacon& b : host.seen) results.push_back(b.result);
        EXPECT_EQ(results, c.results);
        for (const AuditedBeacon& b : host.seen) {
            if (b.result == "differs") {
                EXPECT_EQ(b.differences, c.differences);
                break;
            }
        }
        EXPECT_EQ(audit.missing(), c.missing);
        EXPECT_EQ(audit.ok(), c.ok);
        // With an entry never seen the audit waits until stopped.
        EXPECT_EQ(audit.interrupted(), !c.missing.empty());
        for (const std::string& line : c.said) {
            bool found = host.said(line);
            for (const std::string& s : audit.summary()) found = found || s == line;
            EXPECT_TRUE(found) << line;
        }
        if (!c.afterPortBack.empty()) {
            EXPECT_GT(pulledAtUs, 0);
            EXPECT_EQ(host.saidAfter("Waiting for the port (Could not open Com Port /dev/ttyUSB0)"), c.afterPortBack);
        }
        for (std::size_t i = 0; i < fleet.beacons().size(); ++i) {
            for (const auto& r : fleet.beacons()[i]->requests()) {
                EXPECT_NE(r.kind, BeaconRequestKind::WriteImage) << "beacon " << i;
            }
            EXPECT_EQ(fleet.beacons()[i]->eeprom(), *fleetOptions.beacons[i].eeprom);
        }
    }
}

TEST(PlanAudit, TextsSoundAlikeAfterUpperCaseAndTrim) {
    EXPECT_TRUE(soundAlike("moe", " MOE "));
    EXPECT_TRUE(soundAlike("MOE  ", "  moe"));
    EXPECT_FALSE(soundAlike("MO E", "MOE"));
    EXPECT_FALSE(soundAlike("MOE", "MOI"));
    EXPECT_TRUE(soundAlike("   ", ""));

    HuntPlan plan;
    plan.model = kBasicModel;
    plan.entries.push_back(PlanEntry{"A", {}, {}, {}});
    plan.entries.push_back(PlanEntry{"B", {}, {}, {}});
    plan.entries[0].record.morseText = "moe";
    plan.entries[1].record.morseText = " MOE ";
    EXPECT_EQ(checkPlanEntries(plan, {}),
              R"(beacons "A" and "B" would both send the same Morse text ("moe" and " MOE ") (--allow-same-text allows it))");
    plan.entries[1].record.morseText = "MO E";
    EXPECT_EQ(checkPlanEntries(plan, {}), std::nullopt);
}

TEST(PlanAudit, ReportCellsAndTerminalText) {
    const struct {
        std::string value;
        std::string cell;
    } cells[] = {
        {"MOE", "MOE"},
        {"=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},
        {"+1", "'+1"},
        {"-2,3", "\"'-2,3\""},
        {"@SUM", "'@SUM"},
        {"a\nb", "\"a\nb\""},
        {"", ""},
    };
    for (const auto& c : cells) {
        EXPECT_EQ(csvCell(c.value), c.cell) << c.value;
        const auto rows = parseCsv(csvLine({c.value, "x"}));
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0][0], c.value);
    }
    PlanReportRow run{"t", "=cmd", "v", "Config Written Successfully!", "", ""};
    EXPECT_EQ(planReportLine(run), "t,'=cmd,v,Config Written Successfully!,,\n");
    AuditReportRow audit{"t", "@x", "v", "differs", "ab", {"morseText", "txFrequencyMHz"}};
    EXPECT_EQ(auditReportLine(audit), "t,'@x,v,differs,ab,morseText txFrequencyMHz\n");

    EXPECT_EQ(shownText("MOE\x1b]0;pwned\x07"), "MOE\\x1b]0;pwned\\x07");
    EXPECT_EQ(shownText("a\nb\x7f"), "a\\x0ab\\x7f");
    EXPECT_EQ(shownText("a\nb", true), "a\nb");
    EXPECT_EQ(shownText("\xc2\x9b" "2J \xc3\x89"), "\\u009b2J \xc3\x89");
}

TEST(PlanAudit, SheetHoldsEveryBeaconAndTheReportsLastRow) {
    HuntPlan plan = plan3();
    plan.entries[0].name = "<b>MOE</b>";
    SheetSource source{"hunt.json", std::string(64, 'a'),
                       sheetMarks("time,name,version,result,sha256,differences\n"
                                  "t1,<b>MOE</b>,v,differs,x,model\nt2,<b>MOE</b>,v,matches,x,\n"
                                  // A stranger whose text is an entry's name.
                                  "t3,MOI,v,matches,x,\nt4,MOI,v,not in plan,y,\n")};
    const std::string html = huntSheetHtml(plan, source);
    EXPECT_NE(html.find("&lt;b&gt;MOE&lt;/b&gt;"), std::string::npos);
    EXPECT_EQ(html.find("<b>MOE"), std::string::npos);
    EXPECT_NE(html.find("t2<br>matches"), std::string::npos);
    EXPECT_EQ(html.find("differs"), std::string::npos);
    EXPECT_NE(html.find("t3<br>matches"), std::string::npos);
    EXPECT_EQ(html.find("not in plan"), std::string::npos);
    EXPECT_NE(html.find("144.500"), std::string::npos);
    EXPECT_NE(html.find("Unlock Code"), std::string::npos);
    EXPECT_EQ(html.find("Enable LED"), std::string::npos);  // not stored by a Tarsel
    EXPECT_EQ(html.find("http"), std::string::npos);
    EXPECT_EQ(html.find("<script"), std::string::npos);
    // Every tone: two lists that differ late must not look alike.
    EXPECT_EQ(html.find("..."), std::string::npos);
    EXPECT_NE(html.find(formatToneList(plan.entries[0].stored, ", ")), std::string::npos);
}

}  // namespace
}  // namespace wb
