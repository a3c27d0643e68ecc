#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/beacon_device.h"
#include "config/outcome.h"
#include "config/codec_context.h"
#include "exchange/guarded_write.h"
#include "file/file_texts.h"
#include "serial/serial_port.h"
#include "wasm/page_comm.h"
#include "wasm/page_controls.h"
#include "wasm/page_files.h"

namespace wb {

// What one tick or command asks of the page, as bits.
enum PageEvent : std::uint32_t {
    kShowForm = 1,         // the form was rewritten: copy it to the page
    kBackupReady = 2,      // a backup image is ready: download backupFile()
    kTruncated = 4,        // show the "Text/Tones Truncated" notice
    kOperationEnded = 8,   // the exchange is idle again: release the port
    kPlanRow = 16,         // a hunt plan's attempt is over: a report row more
};

// One field whose stored value differs from what it was (pending changes)
// or from what the form shows (the value a layout will store).
struct FieldChange {
    int id;            // the dialog's control
    std::string from;  // as the form shows it
    std::string to;
};

// One field as the form shows it: the text, or "1"/"0" for a check box.
struct FieldValue {
    int id;
    std::string text;
};

// The fields the model's layout carries, as the form would show a record.
std::vector<FieldValue> formValues(const DeviceConfig& record, DeviceModel model);

// Whether the next tick of this device's exchange drains the line, so the
// page must first let it go quiet for the read time-out.
bool tickDrainsLine(const BeaconDevice& device, const PageComm& comm);

// Everything the browser page runs: the record, the exchange and the port
// whose far side is the page, and the form as the dialog's controls. The
// page calls these between its own steps (sending, waiting, downloading);
// every text, byte and rule comes from the core.
class PageSession {
public:
    PageSession();

    PageControls& controls() { return controls_; }
    PageComm& comm() { return comm_; }
    const BeaconDevice& device() const { return device_; }
    void setNoLimit(bool noLimit) { context_.noLimit = noLimit; }

    // The port the page opened (or could not open) for the next operation.
    void attachPort(bool available, const std::string& name);
    // The page lost its port under an operation (see PageComm::lose).
    void losePort(IoFailure reason, std::size_t unsent) { comm_.lose(reason, unsent); }

    // The dialog's commands; each returns PageEvent bits.
    std::uint32_t readVersion();
    std::uint32_t readConfig();
    // With backupFirst the beacon's image is read first into a separate
    // device, so the form stays as it is; a beacon of another model than
    // the form's is refused before a byte of the write is sent.
    std::uint32_t writeConfig(bool backupFirst);
    std::uint32_t tick();
    std::uint32_t save();  // the file is then in savedFile()
    std::uint32_t load(std::vector<std::uint8_t> bytes);
    // The record as JSON in the command line's format, from the form.
    std::string exportJson();
    // Applies a JSON object to the record and shows it; the text of the
    // refusal when the JSON was refused (the record is then unchanged).
    std::string importJson(std::string_view text);
    // A model for editing files with no beacon at hand.
    std::uint32_t chooseModel(DeviceModel model);

    bool busy() const;
    // Whether the next tick drains the line, so the page must first let it
    // go quiet for the read time-out.
    bool nextTickReads() const;
    const std::string& status() const;
    // When the last operation ended because its port was lost: what the
    // command line says beside the port's failure (the reason; for a write,
    // how much of the image went out and how to restore the beacon). Empty
    // otherwise.
    std::string lostPortText() const;
    // What the last operation came to, beside its status text.
    Outcome outcome() const { return write_.active().outcome; }

    std::vector<std::uint8_t> savedFile() { return files_.take(kSavePath); }
    const std::vector<std::uint8_t>& backupFile() const { return backupFile_; }

    // For each field the model's layout carries: the form's value, and what
    // the beacon would store after the encoder's clamps and rounding.
    std::vector<FieldChange> storedValues();
    // The fields a write would change on the beacon: the image last read
    // from it (or last verified) against what the form would store. Empty
    // when no image has been read.
    std::vector<FieldChange> pendingChanges();
    bool knowsBeaconImage() const { return beaconImage_.has_value(); }

private:
    static constexpr const char* kSavePath = file_text::kProposedFileName;
    static constexpr const char* kLoadPath = "loaded.wb1";
    static constexpr const char* kBackupPath = file_text::kBackupFileName;

    std::uint32_t startRead(ExchangeState firstState);
    std::uint32_t startWrite();
    std::uint32_t tickActive();
    void noteFinishedPhase(const BeaconDevice& device);
    // The record the form holds now, without touching the page's form.
    DeviceConfig formRecord();
    // What the beacon stores for a record, decoded back from the image.
    DeviceConfig storedRecord(const DeviceConfig& record, DeviceModel model);
    std::vector<FieldChange> compare(const DeviceConfig& before, const DeviceConfig& after,
                                     DeviceModel model);

    PageComm comm_;
    // Every operation ends at the port's first failure, as on the command
    // line (the plan's cycle has a guard of its own on the same line).
    LinkGuard link_{comm_};
    SerialPort port_{link_};
    BeaconDevice device_;
    PageControls controls_;
    PageFiles files_;
    CodecContext context_;
    bool truncated_ = false;

    // The backup read before a write, on a device of its own.
    BeaconDevice backup_;
    GuardedWrite write_{backup_, device_, port_};
    std::vector<std::uint8_t> backupFile_;
    // The last command's write was started (its backup read, if any, over).
    bool writeStarted_ = false;
    // The image the beacon holds as far as this page knows, and its model.
    std::optional<ConfigImage> beaconImage_;
    DeviceModel beaconModel_ = DeviceModel::None;
};

}  // namespace wb
