// The browser page's side of the core: the serial seam whose far side is
// the page (queued bytes with their pauses, reads from what has arrived),
// and the session's Read Config, backup-before-write, stored values and
// pending changes, with the page's part played by the test.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/control_ids.h"
#include "exchange/exchange_texts.h"
#include "exchange/protocol.h"
#include "image/image_texts.h"
#include "plan/plan_report.h"
#include "serial/serial_port.h"
#include "app/morse_field.h"
#include "config/device_config.h"
#include "sim/page_sim_names.h"
#include "image/stored_record.h"
#include "sim/simulated_beacon.h"
#include "wasm/page_facts.h"
#include "wasm/page_fields.h"
#include "wasm/page_form_plan.h"
#include "wasm/page_json.h"
#include "wasm/page_plan.h"
#include "wasm/page_session.h"

namespace wb {
namespace {

using Outgoing = std::vector<std::pair<int, std::uint32_t>>;

Outgoing take(PageComm& comm) {
    Outgoing out;
    for (const auto& item : comm.takeOutgoing()) out.emplace_back(item.byte, item.pauseMs);
    return out;
}

void arrive(PageSession& session, std::string_view bytes) {
    session.comm().arrive(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}
void arrive(PageSession& session, const ConfigImage& image) {
    session.comm().arrive(image.data(), image.size());
}

// n ticks; bytes that arrived before are all read by the first.
std::uint32_t ticks(PageSession& session, int n) {
    std::uint32_t events = 0;
    for (int i = 0; i < n; ++i) events |= session.tick();
    return events;
}

TEST(PageComm, QueuesEveryByteWithItsPauseAndReadsOnlyWhatArrived) {
    PageComm comm;
    SerialPort port(comm);
    port.setPortName("USB serial");
    EXPECT_FALSE(port.open());
    EXPECT_EQ(port.lastError, "Could not open Com Port USB serial");

    comm.attach(true, "USB serial");
    ASSERT_TRUE(port.open());
    EXPECT_EQ(comm.lineSettings().baudRate, 2400u);
    const std::uint8_t chunk[3] = {0x10, 0x20, 0x30};
    EXPECT_EQ(port.write(chunk, 3, 20), 3);
    EXPECT_EQ(port.write(kReadRequest.data(), 2, 10), 2);
    EXPECT_EQ(take(comm), (Outgoing{{0x10, 20}, {0x20, 20}, {0x30, 20}, {0x1B, 10}, {'U', 10}}));
    EXPECT_TRUE(take(comm).empty());

    std::uint8_t byte = 0;
    EXPECT_EQ(port.read(&byte, 1), 0);  // nothing has arrived: the time-out
    const std::uint8_t reply[2] = {'W', 'r'};
    comm.arrive(reply, 2);
    EXPECT_EQ(port.read(&byte, 1), 1);
    EXPECT_EQ(byte, 'W');

    // Bytes on a closed port are lost, also those not yet read.
    port.close();
    comm.arrive(reply, 2);
    ASSERT_TRUE(port.open());
    EXPECT_EQ(comm.pendingBytes(), 0u);
}

struct Session : ::testing::Test {
    PageSession session;

    void SetUp() override { session.attachPort(true, "sim:tarsel"); }

    // Identification by the given reply: seven ticks, the last of which
    // sends the next request.
    std::uint32_t identify(std::string_view reply) {
        arrive(session, reply);
        return ticks(session, kLastGatheringTick + 1);
    }
    void readTarsel() {
        session.readConfig();
        EXPECT_EQ(take(session.comm()), (Outgoing{{0x1B, 0}, {'V', 0}}));
        identify(factoryVersionText(kTarselModel));
        EXPECT_EQ(take(session.comm()), (Outgoing{{0x1B, 10}, {'U', 10}}));
        arrive(session, factoryImage(kTarselModel));
        const std::uint32_t events = ticks(session, kLastGatheringTick + 1);
        EXPECT_EQ(session.status(), image_text::kReadConfigSuccessful);
        EXPECT_TRUE(events & kShowForm);
        EXPECT_TRUE(events & kOperationEnded);
    }
};

TEST_F(Session, ReadConfigShowsTheRecordAndEnablesTheModelsFields) {
    readTarsel();
    EXPECT_EQ(session.device().config.model, kTarselModel);
    EXPECT_EQ(session.controls().text(IDC_MORSE_SPEED, 99), "20");
    EXPECT_EQ(session.controls().text(IDC_UNLOCK_CODE, 99), "5862");
    EXPECT_TRUE(session.controls().isEnabled(IDC_RX_FREQUENCY));
    EXPECT_FALSE(session.controls().isEnabled(IDC_ENABLE_LED));
    EXPECT_FALSE(session.busy());
    ASSERT_TRUE(session.knowsBeaconImage());
    EXPECT_TRUE(session.pendingChanges().empty());
}

TEST_F(Session, StoredValuesAndPendingChangesComeFromTheLayout) {
    readTarsel();
    session.controls().setText(IDC_MORSE_SPEED, "25");
    session.controls().setText(IDC_TX_FREQUENCY, "150");
    session.controls().setText(IDC_LOOP_TIME, "30");

    const auto stored = session.storedValues();
    auto find = [](const std::vector<FieldChange>& list, int id) {
        for (const auto& change : list) {
            if (change.id == id) return change;
        }
        return FieldChange{0, "-", "-"};
    };
    EXPECT_EQ(find(stored, IDC_MORSE_SPEED).to, "26");
    EXPECT_EQ(find(stored, IDC_MORSE_SPEED).from, "25");
    EXPECT_EQ(find(stored, IDC_TX_FREQUENCY).from, "150.000");
    EXPECT_EQ(find(stored, IDC_TX_FREQUENCY).to, "146.565");  // outside the band: the default
    EXPECT_EQ(find(stored, IDC_LOOP_TIME).id, 0);               // stored as shown

    // The default frequency is what the beacon holds already.
    const auto pending = session.pendingChanges();
    ASSERT_EQ(pending.size(), 1u);
    EXPECT_EQ(find(pending, IDC_MORSE_SPEED).from, "20");
    EXPECT_EQ(find(pending, IDC_MORSE_SPEED).to, "26");
    // The page's form is not touched by either view.
    EXPECT_EQ(session.controls().text(IDC_MORSE_SPEED, 99), "25");

    // With no band limit the frequency goes into the image as far as its
    // field can hold it, and the beacon would change.
    session.setNoLimit(true);
    const std::string written = find(session.storedValues(), IDC_TX_FREQUENCY).to;
    EXPECT_NE(written, "146.565");
    EXPECT_EQ(find(session.pendingChanges(), IDC_TX_FREQUENCY).to, written);
}

TEST_F(Session, BackupReadsTheBeaconThenWritesWithoutTouchingTheForm) {
    readTarsel();
    session.controls().setText(IDC_MORSE_SPEED, "12");
    session.writeConfig(true);
    EXPECT_EQ(take(session.comm()), (Outgoing{{0x1B, 0}, {'V', 0}}));
    identify(factoryVersionText(kTarselModel));
    take(session.comm());
    arrive(session, factoryImage(kTarselModel));
    EXPECT_EQ(ticks(session, kLastGatheringTick) & kShowForm, 0u);
    const std::uint32_t events = session.tick();
    EXPECT_TRUE(events & kBackupReady);
    EXPECT_EQ(session.controls().text(IDC_MORSE_SPEED, 99), "12");

    const auto& backup = session.backupFile();
    ASSERT_EQ(backup.size(), 264u);
    EXPECT_EQ(std::string(backup.begin(), backup.begin() + 4), "WB14");
    const ConfigImage factory = factoryImage(kTarselModel);
    EXPECT_TRUE(std::equal(factory.begin(), factory.end(), backup.begin() + 8));

    // Then the write itself: identification, the write request, 8 paced chunks.
    EXPECT_EQ(session.status(), exchange_text::kReadingVersion);
    take(session.comm());
    identify(factoryVersionText(kTarselModel));
    EXPECT_EQ(take(session.comm()), (Outgoing{{0x1B, 10}, {'D', 10}, {0xAA, 10}, {'U', 10}}));
    ticks(session, kChunkCount);
    const Outgoing image = take(session.comm());
    ASSERT_EQ(image.size(), kImageSize);
    for (const auto& [byte, pause] : image) EXPECT_EQ(pause, kChunkPauseMs);
    EXPECT_EQ(session.status(), "Writing Config : ********");
}

TEST_F(Session, BackupOfABeaconOfAnotherModelRefusesTheWrite) {
    readTarsel();
    session.writeConfig(true);
    take(session.comm());
    identify(factoryVersionText(kBasicModel));
    take(session.comm());
    arrive(session, factoryImage(kBasicModel));
    const std::uint32_t events = ticks(session, kLastGatheringTick + 1);
    EXPECT_EQ(session.status(), exchange_text::kModelMismatch);
    EXPECT_EQ(session.outcome(), Outcome::ModelMismatch);
    EXPECT_TRUE(events & kOperationEnded);
    EXPECT_FALSE(events & kBackupReady);
    EXPECT_FALSE(session.busy());
    EXPECT_TRUE(take(session.comm()).empty());  // no write request went out
    EXPECT_EQ(session.device().config.model, kTarselModel);
}

// The page reports the port lost between ticks (its "disconnect", a read
// or write that failed for good): the next tick ends the operation with the
// port's first failure, never with what the missing bytes would make of it
// ("Corrupted EEPROM"), and a write says how much of the image went out:
// the queue taken less what the page could not send, and nothing of what
// it never took.
TEST_F(Session, APortLostUnderAnOperationEndsItWithThePortsFirstFailure) {
    const std::string gone = "The port was lost: the device is gone (adapter unplugged or line hung up)";
    const std::string mixed = ". The beacon holds the start of the new configuration and the rest of the old one.\n";

    readTarsel();
    session.readConfig();
    take(session.comm());
    identify(factoryVersionText(kTarselModel));
    take(session.comm());
    const ConfigImage image = factoryImage(kTarselModel);
    session.comm().arrive(image.data(), 100);
    session.tick();
    session.losePort(IoFailure::DeviceGone, 0);
    EXPECT_TRUE(session.tick() & kOperationEnded);
    EXPECT_EQ(session.status(), "Read: Failed 1");
    EXPECT_EQ(session.outcome(), Outcome::PortFailed);
    EXPECT_EQ(session.lostPortText(), gone);
    EXPECT_TRUE(session.knowsBeaconImage());

    struct Case {
        bool backup;
        int chunksTaken;   // sent by the page, less `unsent` of the last
        std::size_t unsent;
        int chunksQueued;  // queued by the core after that, never taken
        IoFailure reason;
        std::string text;
        bool outOfBand = false;  // the beacon was set to TX 143 MHz with the limit lifted
    };
    DeviceConfig outOfBand = decodedRecord(image, kTarselModel, DeviceConfig{});
    outOfBand.txFrequencyMHz = 143.0f;
    const ConfigImage outOfBandImage = storedRecord(outOfBand, CodecContext{true, {}}).image;
    const Case cases[] = {
        {true, 3, 10, 0, IoFailure::OtherError,
         "The port was lost: the system reported an input/output error\nPort lost: 86 of 256 bytes written" + mixed +
             "To restore it: Load backup.wb1 (downloaded before the write) and press Write Config."},
        {true, 3, 10, 0, IoFailure::OtherError,
         "The port was lost: the system reported an input/output error\nPort lost: 86 of 256 bytes written" + mixed +
             "To restore it: Load backup.wb1 (downloaded before the write), tick \"No band limit\" and press Write "
             "Config.",
         true},
        {false, 2, 0, 1, IoFailure::DeviceGone,
         gone + "\nPort lost: 64 of 256 bytes written" + mixed +
             "No backup was made: write a whole configuration again (Write Config, or Load a .wb1 file and write it) "
             "to make it consistent."},
        {false, 0, 4, 0, IoFailure::DeviceGone, gone + "\nPort lost; nothing was written to the beacon."},
        {false, 8, 0, 0, IoFailure::DeviceGone, gone + "\nPort lost: 256 of 256 bytes written, not verified."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        session.attachPort(true, "sim:tarsel");
        readTarsel();
        session.controls().setText(IDC_MORSE_SPEED, "12");
        session.writeConfig(c.backup);
        take(session.comm());
        if (c.backup) {
            identify(factoryVersionText(kTarselModel));
            take(session.comm());
            arrive(session, c.outOfBand ? outOfBandImage : image);
            ticks(session, kLastGatheringTick + 1);
            take(session.comm());
        }
        identify(factoryVersionText(kTarselModel));
        take(session.comm());  // the write request
        ticks(session, c.chunksTaken);
        take(session.comm());
        ticks(session, c.chunksQueued);
        session.losePort(c.reason, c.unsent);
        const std::uint32_t events = ticks(session, 2);
        EXPECT_TRUE(events & kOperationEnded);
        EXPECT_FALSE(session.busy());
        EXPECT_EQ(session.status(), "Write: Failed 1");
        EXPECT_TRUE(take(session.comm()).empty());
        EXPECT_EQ(session.lostPortText(), c.text);
        // The beacon holds neither image now: nothing to compare the form with.
        EXPECT_EQ(session.knowsBeaconImage(), c.chunksTaken == 0);
    }
}

TEST_F(Session, SaveAndLoadAreTheCoresFileRules) {
    session.save();
    EXPECT_EQ(session.status(), image_text::kReadVersionFirst);
    EXPECT_TRUE(session.savedFile().empty());

    session.chooseModel(kBasicModel);
    session.controls().setText(IDC_MORSE_TEXT, "VK2ABC");
    session.save();
    EXPECT_EQ(session.status(), "File Saved");
    std::vector<std::uint8_t> file = session.savedFile();
    ASSERT_EQ(file.size(), 264u);

    session.controls().setText(IDC_MORSE_TEXT, "OTHER");
    session.load(file);
    EXPECT_EQ(session.status(), "File Loaded");
    EXPECT_EQ(session.controls().text(IDC_MORSE_TEXT, 299), "VK2ABC");

    file.resize(100);
    session.load(file);
    EXPECT_EQ(session.status(), "Failed to read data");
    session.load({});
    EXPECT_EQ(session.status(), "Invalid File Format");
}

TEST_F(Session, JsonMovesTheFormInTheCommandLinesFormat) {
    session.controls().setText(IDC_MORSE_TEXT, "VK2ABC");
    const std::string json = session.exportJson();
    EXPECT_NE(json.find("\"morseText\": \"VK2ABC\""), std::string::npos) << json;

    EXPECT_EQ(session.importJson(R"({"model": "tarsel", "unlockCode": 7})"), "");
    EXPECT_EQ(session.controls().text(IDC_UNLOCK_CODE, 99), "0007");
    EXPECT_EQ(session.controls().text(IDC_MORSE_TEXT, 299), "VK2ABC");
    EXPECT_TRUE(session.controls().isEnabled(IDC_UNLOCK_CODE));

    const std::string refused = session.importJson(R"({"unlockCode": 8, "morseSpeedWpm": "fast"})");
    EXPECT_EQ(refused.rfind("morseSpeedWpm", 0), 0u) << refused;
    EXPECT_EQ(session.controls().text(IDC_UNLOCK_CODE, 99), "0007");
}

// The page has no folder beside the plan: its base file comes as bytes
// from the user, refused as the command line refuses a bad one. Backups
// keep the command line's names, a second attempt included.
TEST(PagePlan, BaseFileFromTheUserAndBackupsNamedAsTheCommandLineNamesThem) {
    PageComm comm;
    PagePlan plan(comm);
    const std::string text = R"({"model":"tarsel","baseFile":"event.wb1","base":{"loopTimeSec":60},
        "beacons":[{"name":"MO/E","set":{"morseText":" MOE "}}]})";
    EXPECT_EQ(plan.load("hunt.json", text, {}), PagePlan::LoadResult::NeedsBaseFile);
    EXPECT_EQ(plan.error(), "The plan's base file event.wb1 is needed: choose it");
    EXPECT_EQ(plan.loadBase({'W', 'B', '1'}, {}), PagePlan::LoadResult::Refused);
    EXPECT_EQ(plan.error().rfind("hunt.json: baseFile: event.wb1: ", 0), 0u) << plan.error();
    EXPECT_FALSE(plan.start());

    std::string path;
    const ConfigImage base = factoryImage(kTarselModel);
    PageCycle& cycle = plan.cycle();
    ASSERT_TRUE(cycle.saveBackup("MO/E", base, path));
    EXPECT_EQ(path, "MO_E-before.wb1");
    ASSERT_TRUE(cycle.saveBackup("MO/E", base, path));
    EXPECT_EQ(path, "MO_E-before-2.wb1");
    ASSERT_EQ(cycle.backupCount(), 2u);
    EXPECT_EQ(cycle.backupBytes(1).size(), 264u);

    // A backup is a .wb1 the plan takes as its base file.
    EXPECT_EQ(plan.loadBase(cycle.backupBytes(0), {}), PagePlan::LoadResult::Ready);
    EXPECT_NE(plan.tableJson().find(R"({"id":)"), std::string::npos);

    // A plan refused partway through its beacons keeps none of them, with
    // any option.
    const std::string twice = R"({"model":"tarsel","beacons":[{"name":"MOE","set":{"morseText":" A "}},
        {"name":"MOI","set":{"morseText":" B "}},{"name":"MOE","set":{"morseText":" C "}}]})";
    EXPECT_EQ(plan.load("twice.json", twice, {}), PagePlan::LoadResult::Refused);
    EXPECT_EQ(plan.check({false, true, ""}), PagePlan::LoadResult::Refused);
    EXPECT_FALSE(plan.start());
}

// The audit and the run share the port: neither starts while the other is
// under way. Stop ends the audit at once with the summary; its JSON carries
// UTF-8 names and a beacon's single-byte text alike in plain ASCII.
TEST(PagePlan, AuditAndRunWaitForEachOtherAndTheAuditsTextsReachThePageIntact) {
    PageComm comm;
    PagePlan plan(comm);
    EXPECT_FALSE(plan.startAudit()) << "no plan yet";
    const std::string text = R"({"model":"tarsel","beacons":[{"name":"MÖE","set":{"morseText":" MOE "}}]})";
    ASSERT_EQ(plan.load("hunt.json", text, {}), PagePlan::LoadResult::Ready);
    ASSERT_TRUE(plan.startAudit());
    PageCycle& audit = plan.cycle();
    EXPECT_TRUE(audit.busy());
    EXPECT_FALSE(plan.start());
    EXPECT_FALSE(plan.startAudit());

    audit.message("Beacon \"\xC9T\": not in the plan");
    audit.stop();
    EXPECT_FALSE(audit.busy());
    EXPECT_EQ(audit.status(), R"("0 of 1 beacons match the plan. Never seen: M\u00d6E")");
    EXPECT_EQ(audit.messagesJson(),
              R"(["Beacon \"\u00c9T\": not in the plan","Interrupted","0 of 1 beacons match the plan",)"
              R"("Never seen: M\u00d6E"])");
    EXPECT_EQ(audit.tableJson(), R"({"caption":"Beacons checked","columns":["Name","Text","Version","Result",)"
                                 R"("SHA-256","Differences"],"rows":[]})");
    EXPECT_EQ(audit.reportCsv(), auditReportHeader());
    EXPECT_EQ(audit.tick(), kOperationEnded);
    EXPECT_TRUE(plan.start()) << "the run once the audit ended";
    EXPECT_FALSE(plan.startAudit());
    EXPECT_EQ(plan.cycle().reportCsv(), planReportHeader()) << "the run's report from its start";
    plan.cycle().stop();
}

// The facts the page takes from the module, byte for byte as it reads them.
TEST(PageFacts, LineFilesModelsAndFlagsAreTheCores) {
    EXPECT_EQ(asciiJson(lineSettingsJson()),
              R"({"baudRate":2400,"dataBits":8,"stopBits":1,"parity":"none","flowControl":"none"})");
    EXPECT_EQ(asciiJson(modelsJson()),
              R"([{"code":1,"name":"basic","title":"Basic"},{"code":2,"name":"tarsel","title":"Tarsel"}])");
    EXPECT_EQ(asciiJson(flagTextsJson()), R"(["no","yes"])");
    const auto names = fileNamesJson();
    EXPECT_EQ(names["save"], "config1.wb1");
    EXPECT_EQ(names["backup"], "backup.wb1");
    EXPECT_EQ(names["configExtension"], ".wb1");
    // Single-byte text reaches the page escaped, control bytes included.
    EXPECT_EQ(asciiJson(latin1Json("A\n\xC9\x7F")), R"("A\n\u00c9\u007f")");
    // The numbers the page compares results with are the session's and the plan's.
    EXPECT_EQ(asciiJson(pageEnumsJson()),
              R"({"events":{"showForm":1,"backupReady":2,"truncated":4,"operationEnded":8,"planRow":16},)"
              R"("planResults":{"ready":0,"refused":1,"needsBaseFile":2}})");
}

// The page builds its form from these: every field the form shows, once,
// with its control, in boxes titled as the dialog's.
TEST(PageFacts, FormFieldsSitInTheDialogsBoxes) {
    std::map<std::string, int> idByKey;
    for (const auto& field : formFieldsJson()) idByKey[field["key"]] = field["id"];
    ASSERT_EQ(idByKey.size(), kPageFields.size());
    for (const PageField& field : kPageFields) EXPECT_EQ(idByKey[std::string(field.field.key)], field.id);
    std::vector<std::string> keys;
    std::vector<std::string> titles;
    for (const auto& group : formGroupsJson()) {
        titles.push_back(group["title"]);
        for (const auto& key : group["keys"]) keys.push_back(key);
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"Timing", "Radio", "Tone sequence", "Morse Code ID", "Options"}));
    ASSERT_EQ(keys.size(), kPageFields.size());
    for (std::size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(keys[i], kPageFields[i].field.key);
}

TEST(PageFacts, SimChoicesFollowTheSimulatorsGrammar) {
    EXPECT_EQ(pageSimFleets(), (std::vector<std::string>{"tarsel,tarsel,tarsel", "basic,basic,basic"}));
    const std::pair<const char*, const char*> cases[] = {
        {"basic", "sim:basic"},
        {"tarsel", "sim:tarsel"},
        {"fleet", "sim:fleet=tarsel,tarsel,tarsel"},
        {"fleet=tarsel,basic/silent", "sim:fleet=tarsel,basic/silent"},
        {"none", ""},
        {"Tarsel", ""},
        {"fleet=", ""},
        {"fleet=tarsel,,basic", ""},
        {"fleet=tarsel/nofault", ""},
        {"fleets", ""},
        {"", ""},
    };
    for (const auto& [name, choice] : cases) EXPECT_EQ(pageSimChoice(name), choice) << name;
}

// What the Morse field stores typed: capitals byte for byte, no character
// made two, and nothing outside the letters touched.
TEST(PageFacts, TypedMorseTextTakesTheFieldsCapitals) {
    EXPECT_EQ(typedMorseText("vk2abc de \xE9\xFE\xE0"), "VK2ABC DE \xC9\xDE\xC0");
    EXPECT_EQ(typedMorseText("\xDF\xFF\xF7{}`~@[ \x7F"), "\xDF\xFF\xF7{}`~@[ \x7F");
}

// The plan made from the form: the record without its model as the base,
// one beacon a line, each text typed between blanks; a plan file the core
// then takes.
TEST(PageFacts, FormPlanIsThePlanFileTheCoreTakes) {
    DeviceConfig record;
    record.model = kTarselModel;
    const std::string text = formPlanText(record, "moe\r\n\n  moi  cq  d\xC3\xA9 \xC3\x9F\n\xE2\x82\xAC\n");
    EXPECT_EQ(text.substr(0, 24), "{\n  \"model\": \"tarsel\",\n ");
    EXPECT_EQ(text.back(), '\n');
    EXPECT_NE(text.find("\n  \"beacons\": [\n    {\n      \"name\": \"moe\",\n      \"set\": {\n"
                        "        \"morseText\": \" MOE \"\n      }\n    },"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\"morseText\": \" CQ D\xC3\x89 \xC3\x9F \""), std::string::npos) << text;
    // A character beyond the single bytes is left for the plan's check to refuse.
    EXPECT_NE(text.find("\"morseText\": \" \xE2\x82\xAC \""), std::string::npos) << text;
    const auto plan = nlohmann::ordered_json::parse(text);
    EXPECT_FALSE(plan["base"].contains("model"));
    EXPECT_EQ(plan["beacons"].size(), 3u);

    PageSession session;
    PagePlan pagePlan(session.comm());
    EXPECT_EQ(pagePlan.load("hunt-plan.json", formPlanText(record, "MOE\nMOI"), {}), PagePlan::LoadResult::Ready)
        << pagePlan.error();
    EXPECT_EQ(pagePlan.load("hunt-plan.json", formPlanText(record, "MOE\nMOE"), {}), PagePlan::LoadResult::Refused);
}

TEST(PlanReport, TimeIsUtcToTheSecond) {
    using namespace std::chrono;
    const auto leapDay = sys_days{2024y / February / 29} + 23h + 59min + 59s + 999ms;
    EXPECT_EQ(utcTimeText(leapDay), "2024-02-29T23:59:59Z");
    EXPECT_EQ(utcTimeText(sys_days{2026y / January / 1}), "2026-01-01T00:00:00Z");
}

}  // namespace
}  // namespace wb
