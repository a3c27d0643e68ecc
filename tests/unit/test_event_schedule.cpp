// An event's times turned into each beacon's switch-on and stored values:
// every number here was worked out by hand from the event's rules.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "image/model_table.h"
#include "plan/beacon_identity.h"
#include "plan/event_formats.h"
#include "plan/event_time.h"
#include "plan/hunt_clock.h"
#include "plan/hunt_sheet.h"
#include "plan/plan_parse.h"
#include "plan/schedule_text.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace wb {
namespace {

using ::testing::HasSubstr;

PlanError build(const std::string& text, HuntPlan& plan) {
    PlanSource source;
    if (PlanError error = parsePlan(text, source)) return error;
    return buildPlan(source, std::nullopt, {}, plan);
}

std::string eventPlan(const std::string& model, const std::string& event, const std::string& beacons) {
    return R"({"model": ")" + model + R"(", "event": {)" + event + R"(}, "beacons": [)" + beacons + "]}";
}

std::string fox(const std::string& name, int slot, const std::string& mhz = "144.5", const std::string& more = "") {
    return R"({"name": ")" + name + R"(", "slot": )" + std::to_string(slot) + R"(, "set": {"morseText": ")" + name +
           R"(", "txFrequencyMHz": )" + mhz + more + "}}";
}

TEST(EventTime, ReadsOffsetsAndRefusesLocalTimes) {
    struct Case {
        std::string text;
        std::int64_t utc;  // checked when error is empty
        std::int32_t offset;
        std::string error;
    };
    const std::vector<Case> cases{
        {"2027-05-16T09:00:00+02:00", 1810450800, 120, ""},
        {"2027-05-16T07:00:00Z", 1810450800, 0, ""},
        {"2027-05-16T02:00-05:00", 1810450800, -300, ""},
        {"2028-02-29T00:00:00+00:00", 1835395200, 0, ""},
        {"2027-05-16T09:00:00", 0, 0, "has no UTC offset"},
        {"2027-05-16 09:00:00Z", 0, 0, "expected a date-time with its UTC offset"},
        {"2027-02-29T09:00:00Z", 0, 0, "is not a date and time of day"},
        {"2027-05-16T24:00:00Z", 0, 0, "is not a date and time of day"},
        {"2027-05-16T09:00:00+2:00", 0, 0, "expected a date-time"},
        {"2027-05-16T09:00:00.5Z", 0, 0, "expected a date-time"},
        {"2027-05-16T09:00:00Zx", 0, 0, "expected a date-time"},
    };
    for (const Case& c : cases) {
        EventTime time;
        const auto error = parseEventTime(c.text, time);
        if (c.error.empty()) {
            ASSERT_EQ(error, std::nullopt) << c.text;
            EXPECT_EQ(time.utcSec, c.utc) << c.text;
            EXPECT_EQ(time.offsetMin, c.offset) << c.text;
        } else {
            ASSERT_TRUE(error) << c.text;
            EXPECT_THAT(*error, HasSubstr(c.error)) << c.text;
        }
    }
    EXPECT_EQ(isoText(1810450800, 120), "2027-05-16T09:00:00+02:00");
    EXPECT_EQ(isoText(1810450800, -330), "2027-05-16T01:30:00-05:30");
    EXPECT_EQ(isoText(1810450800, 0), "2027-05-16T07:00:00Z");
    // The date shows only where it is not the start's, read in the offset.
    EXPECT_EQ(clockText(1810450800 + 60, 120, 1810450800), "09:01:00");
    EXPECT_EQ(clockText(1810450800 + 15 * 3600, 120, 1810450800), "2027-05-17 00:00:00");
    EXPECT_EQ(clockText(1810450800 - 10 * 3600, 120, 1810450800), "2027-05-15 23:00:00");
}

struct Expected {
    std::string name;
    std::string switchOn;  // in the start's offset
    std::string firstCycle;
    std::optional<std::int32_t> delay, runtime, loop;
    std::uint8_t autoStart;
};

TEST(EventSchedule, DerivesSwitchOnAndStoredValues) {
    const std::string classic = R"("start": "2027-05-16T09:00:00+02:00", "cycleSec": 300, "slotSec": 60)";
    const std::string sprint = R"("start": "2027-05-16T09:00:00+02:00", "cycleSec": 60, "slotSec": 12)";
    struct Case {
        std::string plan;
        std::vector<Expected> beacons;
    };
    const std::vector<Case> cases{
        // The foxes go on from 07:30 in the minute after switchOnFrom; the
        // runtime counts from switch-on to the end.
        {eventPlan("tarsel",
                   classic + R"(, "end": "2027-05-16T11:30:00+02:00", "switchOnFrom": "2027-05-16T07:30:30+02:00")",
                   fox("MOE", 0) + "," + fox("MOI", 1) + "," + fox("MO5", 4) +
                       R"(, {"name": "MO", "set": {"morseText": "MO", "txFrequencyMHz": 144.9}})"),
         {{"MOE", "2027-05-16T07:31:00+02:00", "2027-05-16T09:00:00+02:00", 89, 239, 300, 1},
          {"MOI", "2027-05-16T07:31:00+02:00", "2027-05-16T09:01:00+02:00", 90, 239, 300, 1},
          {"MO5", "2027-05-16T07:31:00+02:00", "2027-05-16T09:04:00+02:00", 93, 239, 300, 1},
          {"MO", "", "", std::nullopt, std::nullopt, std::nullopt, 0}}},
        // Sprint slots start within a minute: the runtime rounds 239.8 up.
        {eventPlan("tarsel", sprint + R"(, "end": "2027-05-16T11:30:00+02:00", "switchOnFrom": "2027-05-16T07:30:00+02:00")",
                   fox("MOE", 0) + "," + fox("MOI", 1) + "," + fox("MOI", 1, "144.6").replace(10, 3, "MOI fast")),
         {{"MOE", "2027-05-16T07:30:00+02:00", "2027-05-16T09:00:00+02:00", 90, 240, 60, 1},
          {"MOI", "2027-05-16T07:30:12+02:00", "2027-05-16T09:00:12+02:00", 90, 240, 60, 1},
          {"MOI fast", "2027-05-16T07:30:12+02:00", "2027-05-16T09:00:12+02:00", 90, 240, 60, 1}}},
        // No switchOnFrom: no delay, on at the first cycle; no end: no runtime.
        {eventPlan("tarsel", classic, fox("MOE", 0) + "," + fox("MOH", 3)),
         {{"MOE", "2027-05-16T09:00:00+02:00", "2027-05-16T09:00:00+02:00", 0, std::nullopt, 300, 1},
          {"MOH", "2027-05-16T09:03:00+02:00", "2027-05-16T09:03:00+02:00", 0, std::nullopt, 300, 1}}},
        // The Basic starts its cycle when switched on: at the first cycle.
        {eventPlan("basic", classic + R"(, "end": "2027-05-16T11:30:00+02:00", "switchOnFrom": "2027-05-16T07:30:00+02:00")",
                   fox("MOE", 0) + "," + fox("MOS", 2)),
         {{"MOE", "2027-05-16T09:00:00+02:00", "2027-05-16T09:00:00+02:00", std::nullopt, std::nullopt, 300, 0},
          {"MOS", "2027-05-16T09:02:00+02:00", "2027-05-16T09:02:00+02:00", std::nullopt, std::nullopt, 300, 0}}},
        // Across midnight in a western offset; times shown in the start's.
        {eventPlan("tarsel",
                   R"("start": "2027-05-16T23:58:00-05:00", "cycleSec": 300, "slotSec": 60, "end": "2027-05-17T07:00:00Z", "switchOnFrom": "2027-05-16T22:00:00-05:00")",
                   fox("MOE", 0) + "," + fox("MOH", 3)),
         {{"MOE", "2027-05-16T22:00:00-05:00", "2027-05-16T23:58:00-05:00", 118, 240, 300, 1},
          {"MOH", "2027-05-16T22:00:00-05:00", "2027-05-17T00:01:00-05:00", 121, 240, 300, 1}}},
    };
    for (const Case& c : cases) {
        HuntPlan plan;
        ASSERT_EQ(build(c.plan, plan), std::nullopt) << c.plan;
        const nlohmann::ordered_json schedule = scheduleJson(plan)["beacons"];
        ASSERT_EQ(schedule.size(), c.beacons.size()) << c.plan;
        for (std::size_t i = 0; i < c.beacons.size(); ++i) {
            const Expected& e = c.beacons[i];
            const nlohmann::ordered_json& b = schedule[i];
            const DeviceConfig& stored = plan.entries[i].stored;
            SCOPED_TRACE(c.plan + " " + e.name);
            EXPECT_EQ(b["name"], e.name);
            EXPECT_EQ(b["switchOn"], e.switchOn.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(e.switchOn));
            EXPECT_EQ(b["firstCycle"], e.firstCycle.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(e.firstCycle));
            EXPECT_EQ(b["initialDelayMin"], e.delay ? nlohmann::ordered_json(*e.delay) : nlohmann::ordered_json());
            EXPECT_EQ(b["totalRuntimeMin"], e.runtime ? nlohmann::ordered_json(*e.runtime) : nlohmann::ordered_json());
            EXPECT_EQ(b["loopTimeSec"], e.loop ? nlohmann::ordered_json(*e.loop) : nlohmann::ordered_json());
            // What the beacon stores is what the schedule says.
            EXPECT_EQ(stored.loopTimeSec, e.loop.value_or(30));
            EXPECT_EQ(stored.autoStart, e.autoStart);
            if (plan.model == kTarselModel) {
                EXPECT_EQ(stored.initialDelayMin, e.delay.value_or(0));
                EXPECT_EQ(stored.totalRuntimeMin, e.runtime.value_or(0));
            }
        }
    }
}

TEST(EventSchedule, ClassicTarselImageHoldsTheDerivedBytes) {
    HuntPlan plan;
    ASSERT_EQ(build(eventPlan("tarsel",
                              R"("start": "2027-05-16T09:00:00+02:00", "end": "2027-05-16T11:30:00+02:00",
                                 "cycleSec": 300, "slotSec": 60, "switchOnFrom": "2027-05-16T07:30:00+02:00")",
                              fox("MOE", 0) + "," + fox("MOI", 1)),
                    plan),
              std::nullopt);
    // Loop Time 300 s = 5:00; Initial Delay 90 and 91 min = 1 h 30 and 1 h 31;
    // Total Runtime 240 min = 4 h 00; Auto Start is bit 3 of the flags.
    const ConfigImage& moe = plan.entries[0].image;
    const ConfigImage& moi = plan.entries[1].image;
    EXPECT_EQ(std::vector<int>(moe.begin() + 4, moe.begin() + 10), (std::vector<int>{0, 5, 30, 1, 0, 4}));
    EXPECT_EQ(std::vector<int>(moi.begin() + 4, moi.begin() + 10), (std::vector<int>{0, 5, 31, 1, 0, 4}));
    EXPECT_EQ(moe[21], 0x08);
    EXPECT_EQ(scheduleTable(plan),
              "Beacon  TX MHz   Slot  Switch on at  First cycle at  Initial Delay  Total Runtime  Loop Time\n"
              "MOE     144.500  0     07:30:00      09:00:00        90 min         240 min        300 s\n"
              "MOI     144.500  1     07:30:00      09:01:00        91 min         240 min        300 s\n");
    const std::string sheet = huntSheetHtml(plan, {});
    EXPECT_NE(sheet.find("<tr><th class=\"row\">Switch on at</th><td>07:30:00<br><span class=\"box wide\">"),
              std::string::npos);
    // One row for 144.500, the slots a fifth of the cycle wide, labelled.
    EXPECT_NE(sheet.find("<rect x=\"270\" y=\"21\" width=\"180\""), std::string::npos) << sheet;
    EXPECT_NE(sheet.find(">MOI</text>"), std::string::npos);
}

TEST(EventSchedule, CommandsWriteCheckAndScheduleAPlan) {
    test::TempDir dir;
    const std::string plan = dir.file("hunt.json");
    const std::vector<std::string> make{"plan", "new", "classic", "--start", "2027-05-16T09:00:00+02:00",
                                        "--switch-on-from", "2027-05-15T21:59:00Z", "-o", plan};
    auto result = test::runWrenbolt(make);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    // Never over a plan already there, edited or not.
    result = test::runWrenbolt(make);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("already exists"), std::string::npos) << result.err;

    result = test::runWrenbolt({"plan", "check", plan});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("\nSchedule\nBeacon  TX MHz"), std::string::npos) << result.out;
    result = test::runWrenbolt({"plan", "schedule", plan});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("MOE     144.500  0           2027-05-15 23:59:00  09:00:00        541 min        -              300 s\n"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("MO      144.900  continuous  -"), std::string::npos) << result.out;
    result = test::runWrenbolt({"plan", "schedule", plan, "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto json = nlohmann::ordered_json::parse(result.out);
    EXPECT_EQ(json["beacons"][1].dump(),
              R"({"name":"MOI","slot":1,"txFrequencyMHz":144.5,"switchOn":"2027-05-15T23:59:00+02:00",)"
              R"("firstCycle":"2027-05-16T09:01:00+02:00","initialDelayMin":542,"totalRuntimeMin":null,"loopTimeSec":300})");
    EXPECT_EQ(json["beacons"][5]["switchOn"], nullptr);

    // A plan without an event has nothing to schedule, but checks.
    const std::string plain = dir.file("plain.json");
    test::writeText(plain, R"({"model": "basic", "beacons": [{"name": "MOE", "set": {"morseText": " MOE "}}]})");
    result = test::runWrenbolt({"plan", "schedule", plain});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find(plain + ": event: the plan has none to schedule"), std::string::npos) << result.err;
    EXPECT_EQ(test::runWrenbolt({"plan", "check", plain}).exitCode, 0);
}

TEST(EventSchedule, RefusalsNameTheBeaconsAndKeys) {
    const std::string event = R"("start": "2027-05-16T09:00:00+02:00", "cycleSec": 300, "slotSec": 60)";
    const std::string moe = fox("MOE", 0);
    const std::vector<std::pair<std::string, std::string>> cases{
        {eventPlan("tarsel", event, moe + "," + fox("MOI", 0)), "MOE and MOI would be on air together on 144.500 MHz"},
        // 144.5 and 144.5004 store the same kHz.
        {eventPlan("tarsel", event, moe + "," + fox("MOI", 0, "144.5004")), "MOE and MOI would be on air together"},
        {eventPlan("tarsel", event, fox("MOE", 5)), R"(beacon "MOE": slot: 5 ends 360 s into the cycle, past its 300 s)"},
        {eventPlan("tarsel", event, fox("MOE", 0, "144.5", R"(, "loopTimeSec": 300)")),
         R"(beacon "MOE": set: loopTimeSec: the event sets it)"},
        {eventPlan("basic", event, fox("MOE", 0, "144.5", R"(, "autoStart": 1)")), R"(beacon "MOE": set: autoStart:)"},
        {R"({"model": "tarsel", "base": {"initialDelayMin": 3}, "event": {)" + event + "}, \"beacons\": [" + moe + "]}",
         R"(base: initialDelayMin: the event sets it for beacon "MOE")"},
        {eventPlan("tarsel", event + R"(, "end": "2027-05-16T09:00:00+02:00")", moe), "event: end: 2027-05-16T09:00:00+02:00 is not after the start"},
        {eventPlan("tarsel", event + R"(, "switchOnFrom": "2027-05-16T07:00:01Z")", moe),
         "event: switchOnFrom: 2027-05-16T09:00:01+02:00 is after the start"},
        {eventPlan("tarsel", event + R"(, "end": "2027-05-16T09:02:00+02:00")", moe + "," + fox("MOS", 2)),
         R"(beacon "MOS": slot: its first cycle, 2027-05-16T09:02:00+02:00, is not before the end)"},
        // A Basic beacon stores no delay, but is switched on at its first cycle all the same.
        {eventPlan("basic", event + R"(, "end": "2027-05-16T09:02:00+02:00")", moe + "," + fox("MOS", 2)),
         R"(beacon "MOS": slot: its first cycle, 2027-05-16T09:02:00+02:00, is not before the end)"},
        {eventPlan("tarsel", event + R"(, "switchOnFrom": "2027-05-05T09:00:00+02:00")", moe),
         R"(beacon "MOE": initialDelayMin: 15840 minutes from switchOnFrom)"},
        {eventPlan("tarsel", event + R"(, "end": "2027-05-27T09:00:00+02:00")", moe),
         R"(beacon "MOE": totalRuntimeMin: 15840 minutes from switch-on to the end; the Tarsel layout stores at most 15359)"},
        {eventPlan("tarsel", R"("start": "2027-05-16T09:00:00", "cycleSec": 300, "slotSec": 60)", moe), "event: start: \"2027-05-16T09:00:00\" has no UTC offset"},
        {eventPlan("tarsel", R"("start": "2027-05-16T09:00:00Z", "cycleSec": 15360, "slotSec": 60)", moe), "event: cycleSec: 15360: expected whole seconds, 1 to 15359"},
        {eventPlan("tarsel", R"("start": "2027-05-16T09:00:00Z", "cycleSec": 300, "slotSec": 0)", moe), "event: slotSec: 0: expected whole seconds, at least 1"},
        {eventPlan("tarsel", R"("start": "2027-05-16T09:00:00Z", "slotSec": 60)", moe), "event: cycleSec: required"},
        {eventPlan("tarsel", event + R"(, "stop": 1)", moe), "event: stop: unknown key"},
        {R"({"model": "tarsel", "beacons": [)" + moe + "]}", R"(beacon "MOE": slot: the plan has no "event")"},
        {eventPlan("tarsel", event, R"({"name": "MOE", "slot": -1})"), "beacons[0]: slot: expected a whole number from 0"},
        // Two texts alike on one frequency are still refused, slotted or not.
        {eventPlan("tarsel", event, moe + "," + fox("MOE", 1).replace(10, 3, "MOE2")),
         R"(beacons "MOE" and "MOE2" would both send the Morse text "MOE")"},
    };
    for (const auto& [text, message] : cases) {
        HuntPlan plan;
        const PlanError error = build(text, plan);
        ASSERT_TRUE(error) << text;
        EXPECT_THAT(*error, HasSubstr(message)) << text;
    }
}

TEST(EventSchedule, WarningsLeaveThePlanRunnable) {
    const std::string sprint = R"("start": "2027-05-16T09:00:00Z", "cycleSec": 60, "slotSec": 12)";
    HuntPlan plan;
    ASSERT_EQ(build(eventPlan("tarsel", sprint,
                              fox("MOE", 0, "144.5", R"(, "tonesDurationSec": 10, "preTonesDelaySec": 3)") + "," +
                                  fox("MOI", 1, "144.5", R"(, "tonesDurationSec": 12)") +
                                  R"(, {"name": "MO", "set": {"morseText": "MO", "txFrequencyMHz": 144.519}})" +
                                  R"(, {"name": "S", "set": {"morseText": "S", "txFrequencyMHz": 144.539}})"),
                    plan),
              std::nullopt);
    EXPECT_EQ(plan.warnings,
              (std::vector<std::string>{
                  R"(beacon "MOE": Pre Tones Delay plus Tones Duration, 13 s, is longer than its 12 s slot: it may still be sending when the next slot begins)",
                  R"(beacons "MOE" (144.500 MHz) and "MO" (144.519 MHz) are 19 kHz apart: receivers hear both)",
                  R"(beacons "MOI" (144.500 MHz) and "MO" (144.519 MHz) are 19 kHz apart: receivers hear both)",
              }));
}

TEST(EventSchedule, NewPlansAreAcceptedAndTellFoxesApartByFrequency) {
    const std::string names[3] = {"--start", "--end", "--switch-on-from"};
    for (const EventFormat format : {EventFormat::Classic, EventFormat::Sprint}) {
        for (const DeviceModel model : {kTarselModel, kBasicModel}) {
            NewEventPlan request;
            request.format = format;
            request.model = model;
            request.start = "2027-05-16T09:00:00+02:00";
            request.end = "2027-05-16T11:30:00+02:00";
            request.switchOnFrom = "2027-05-16T07:30:00+02:00";
            std::string text;
            ASSERT_EQ(newEventPlanText(request, text, names), std::nullopt);
            HuntPlan plan;
            ASSERT_EQ(build(text, plan), std::nullopt) << text;
            EXPECT_EQ(plan.warnings, std::vector<std::string>{}) << text;
            EXPECT_EQ(plan.model, model);
            ASSERT_EQ(plan.entries.size(), format == EventFormat::Sprint ? 12u : 6u);
            EXPECT_EQ(plan.entries[4].name, "MO5");
            EXPECT_EQ(entryTiming(plan, 4).slot, 4);
            EXPECT_EQ(plan.entries.back().name, "MO");
            EXPECT_EQ(entryTiming(plan, plan.entries.size() - 1).slot, std::nullopt);
            if (format != EventFormat::Sprint) continue;
            EXPECT_EQ(plan.event->slotSec, 12);
            EXPECT_EQ(plan.entries[5].name, "MOE fast");
            EXPECT_EQ(plan.entries[5].stored.morseSpeedWpm, 14);
            EXPECT_EQ(plan.entries[0].stored.morseSpeedWpm, 10);
            // An audit tells the fast MOE from the slow one by frequency,
            // and one on a frequency of neither by its text alone.
            std::vector<bool> seen(plan.entries.size(), false);
            EXPECT_EQ(auditEntryFor(plan, plan.entries[5].stored, seen), 5u);
            EXPECT_EQ(auditEntryFor(plan, plan.entries[0].stored, seen), 0u);
            DeviceConfig astray = plan.entries[5].stored;
            astray.txFrequencyMHz = 145.0f;
            EXPECT_EQ(auditEntryFor(plan, astray, seen), 0u);
            seen[0] = true;
            EXPECT_EQ(auditEntryFor(plan, astray, seen), 5u);
            astray.morseText = "MOX";
            EXPECT_EQ(auditEntryFor(plan, astray, seen), kNoPlanEntry);
        }
    }
    NewEventPlan bad;
    bad.start = "2027-05-16T09:00:00";
    std::string text;
    EXPECT_THAT(newEventPlanText(bad, text, names).value_or(""), HasSubstr("--start: \"2027-05-16T09:00:00\" has no UTC offset"));
    bad.start = "2027-05-16T09:00:00Z";
    bad.end = "2027-05-16T08:00:00Z";
    EXPECT_THAT(newEventPlanText(bad, text, names).value_or(""), HasSubstr("event: end:"));
}


std::int64_t at(const std::string& text) {
    EventTime time;
    EXPECT_EQ(parseEventTime(text, time), std::nullopt) << text;
    return time.utcSec;
}

TEST(HuntClock, ShowsWhatIsDueAndWhoIsOnAirAtEachMoment) {
    const std::string classic = eventPlan(
        "tarsel",
        R"("start": "2027-05-16T09:00:00+02:00", "cycleSec": 300, "slotSec": 60, "end": "2027-05-16T11:30:00+02:00", "switchOnFrom": "2027-05-16T07:30:30+02:00")",
        fox("MOE", 0) + "," + fox("MOI", 1) + "," + fox("MO5", 4) +
            R"(, {"name": "MO", "set": {"morseText": "MO", "txFrequencyMHz": 144.9}})");
    // Basics go on at their first cycle, the last after midnight.
    const std::string midnight = eventPlan("basic", R"("start": "2027-05-16T23:58:00-05:00", "cycleSec": 300, "slotSec": 60)",
                                           fox("MOE", 0) + "," + fox("MOH", 3));
    // Five 12 s slots of a 65 s cycle leave 5 s with nobody on air.
    const std::string sprint = eventPlan("tarsel", R"("start": "2027-05-16T09:00:00Z", "cycleSec": 65, "slotSec": 12)",
                                         fox("MOE", 0) + "," + fox("MOE", 0, "144.6").replace(10, 3, "MOE fast") + "," +
                                             fox("MO5", 4));
    struct Case {
        const std::string* plan;
        std::string now;
        std::string headline, detail, reminder;
    };
    const std::vector<Case> cases{
        {&classic, "2027-05-16T07:30:18+02:00", "Switch on MOE, MOI, MO5 in 0:42", "First cycle in 1:29:42: MOE", ""},
        {&classic, "2027-05-16T07:30:59+02:00", "Switch on MOE, MOI, MO5 in 0:01", "First cycle in 1:29:01: MOE", ""},
        {&classic, "2027-05-16T07:31:00+02:00", "First cycle in 1:29:00: MOE", "", ""},
        {&classic, "2027-05-16T09:00:00+02:00", "Cycle 1: MOE on air", "Next: MOI in 1:00", ""},
        {&classic, "2027-05-16T09:02:30+02:00", "Cycle 1: No beacon on air", "Next: MO5 in 1:30", ""},
        {&classic, "2027-05-16T09:04:59+02:00", "Cycle 1: MO5 on air", "Next: MOE in 0:01", ""},
        {&classic, "2027-05-16T09:05:00+02:00", "Cycle 2: MOE on air", "Next: MOI in 1:00", ""},
        {&classic, "2027-05-16T11:29:59+02:00", "Cycle 30: MO5 on air", "Next: MOE in 0:01", ""},
        {&classic, "2027-05-16T11:30:00+02:00", "The event has ended", "", ""},
        {&midnight, "2027-05-16T23:57:00-05:00", "Switch on MOE in 1:00", "First cycle in 1:00: MOE", ""},
        {&midnight, "2027-05-16T23:59:30-05:00", "Cycle 1: No beacon on air", "Next: MOH in 1:30", "Switch on MOH in 1:30"},
        {&midnight, "2027-05-17T00:01:00-05:00", "Cycle 1: MOH on air", "Next: MOE in 2:00", ""},
        {&sprint, "2027-05-16T09:00:50Z", "Cycle 1: MO5 on air", "Next: MOE, MOE fast in 0:15", ""},
        {&sprint, "2027-05-16T09:01:02Z", "Cycle 1: No beacon on air", "Next: MOE, MOE fast in 0:03", ""},
        {&sprint, "2027-05-16T09:01:05Z", "Cycle 2: MOE, MOE fast on air", "Next: MO5 in 0:48", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.now);
        HuntPlan plan;
        ASSERT_EQ(build(*c.plan, plan), std::nullopt);
        const std::int64_t now = at(c.now);
        const HuntClockLines lines = huntClockLines(plan, huntClock(plan, now), now);
        EXPECT_EQ(lines.headline, c.headline);
        EXPECT_EQ(lines.detail, c.detail);
        EXPECT_EQ(lines.reminder, c.reminder);
    }
    // The device's time in the start's offset, with the date on another day.
    HuntPlan plan;
    ASSERT_EQ(build(midnight, plan), std::nullopt);
    const std::int64_t late = at("2027-05-17T00:01:00-05:00");
    EXPECT_EQ(huntClockLines(plan, huntClock(plan, late), late).deviceTime,
              "Device time 2027-05-17 00:01:00 (UTC-05:00): compare it with your watch");
    EXPECT_EQ(countdownText(-3), "0:00");
    EXPECT_EQ(countdownText(3600), "1:00:00");
}

TEST(HuntClock, LogsEachTapWithHowFarItWasFromThePlan) {
    HuntPlan plan;
    ASSERT_EQ(build(eventPlan("tarsel",
                              R"("start": "2027-05-16T09:00:00+02:00", "cycleSec": 300, "slotSec": 60, "switchOnFrom": "2027-05-16T07:30:30+02:00")",
                              fox("MOE", 0) + "," + fox("MOI", 1).replace(10, 3, "=MOI") + "," + fox("MO5", 4) +
                                  R"(, {"name": "MO", "set": {"morseText": "MO", "txFrequencyMHz": 144.9}})"),
                    plan),
              std::nullopt);
    using Kind = ClockTap::Kind;
    const std::vector<ClockTap> taps{
        {at("2027-05-16T07:31:12+02:00"), 0, Kind::SwitchedOn},
        {at("2027-05-16T07:30:55+02:00"), 1, Kind::SwitchedOn},
        {at("2027-05-16T07:31:00+02:00"), 2, Kind::SwitchedOn},
        {at("2027-05-16T07:32:00+02:00"), 3, Kind::SwitchedOn},  // continuous: nothing planned
        {at("2027-05-16T08:59:00+02:00"), 0, Kind::Heard},
        {at("2027-05-16T09:05:30+02:00"), 1, Kind::NotHeard},
        {at("2027-05-16T09:00:10+02:00"), 3, Kind::Heard},
        {at("2027-05-16T09:00:10+02:00"), 4, Kind::Heard},  // no such entry
    };
    EXPECT_EQ(huntLogCsv(plan, taps),
              "time,beacon,event\n"
              "2027-05-16T07:31:12+02:00,MOE,switched on 12 s late (planned 07:31:00)\n"
              "2027-05-16T07:30:55+02:00,'=MOI,switched on 5 s early (planned 07:31:00)\n"
              "2027-05-16T07:31:00+02:00,MO5,switched on on time (planned 07:31:00)\n"
              "2027-05-16T08:59:00+02:00,MOE,heard before the start\n"
              "2027-05-16T09:05:30+02:00,'=MOI,not heard in cycle 2\n"
              "2027-05-16T09:00:10+02:00,MO,heard in cycle 1\n");
}

}  // namespace
}  // namespace wb
