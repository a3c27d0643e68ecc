#include "wasm/page_session.h"

#include <algorithm>

#include "app/form_binding.h"
#include "config/record_changes.h"
#include "exchange/device_exchange.h"
#include "exchange/device_operations.h"
#include "exchange/exchange_texts.h"
#include "config/record_json.h"
#include "file/config_file.h"
#include "image/stored_record.h"
#include "wasm/page_fields.h"

namespace wb {

namespace {

// One field as the form shows it.
std::string fieldText(PageControls& form, const PageField& field) {
    if (field.field.kind == FieldKind::Flag) return form.isChecked(field.id) ? "1" : "0";
    return form.text(field.id, DialogControls::kWholeText);
}

}  // namespace

std::vector<FieldValue> formValues(const DeviceConfig& record, DeviceModel model) {
    PageControls form;
    recordToForm(form, record);
    std::vector<FieldValue> values;
    for (const PageField& field : kPageFields) {
        if (layoutCarries(model, field.field)) values.push_back({field.id, fieldText(form, field)});
    }
    return values;
}

bool tickDrainsLine(const BeaconDevice& device, const PageComm& comm) {
    return comm.isOpen() && nextTickReadsLine(device);
}

PageSession::PageSession() {
    write_.watch(link_);
    // The notice cannot block here: the page shows it once the call returns.
    context_.showTruncationNotice = [this] { truncated_ = true; };
    recordToForm(controls_, device_.config);
    enableControlsForModel(controls_, device_.config.model);
}

void PageSession::attachPort(bool available, const std::string& name) {
    comm_.attach(available, name);
    port_.setPortName(name);
}

std::uint32_t PageSession::startRead(ExchangeState firstState) {
    write_.reset();
    writeStarted_ = false;
    beginOperation(device_, port_, firstState);
    enableControlsForModel(controls_, device_.config.model);
    return busy() ? 0u : kOperationEnded;
}

std::uint32_t PageSession::readVersion() { return startRead(ExchangeState::ReadVersion); }
std::uint32_t PageSession::readConfig() { return startRead(ExchangeState::VersionForRead); }

std::uint32_t PageSession::writeConfig(bool backupFirst) {
    formToRecord(controls_, device_.config);
    write_.reset();
    writeStarted_ = false;
    backupFile_.clear();
    if (!backupFirst) return startWrite() | kShowForm;
    backup_ = BeaconDevice{};
    write_.beginRead();
    if (!write_.reading()) {
        // The port did not open: its text, and nothing more.
        setOutcome(device_, backup_.outcome, backup_.statusText);
        return kShowForm | kOperationEnded;
    }
    // The form was read: show it as the core has it (Auto Start, numbers).
    recordToForm(controls_, device_.config);
    return kShowForm;
}

std::uint32_t PageSession::startWrite() {
    truncated_ = false;
    std::uint32_t events = 0;
    comm_.resetImageCount();
    writeStarted_ = write_.write(context_);
    if (!writeStarted_) {
        recordToForm(controls_, device_.config);
        events |= kShowForm;
    }
    enableControlsForModel(controls_, device_.config.model);
    if (truncated_) events |= kTruncated;
    if (!busy()) events |= kOperationEnded;
    return events;
}

std::uint32_t PageSession::tick() {
    // Only this tick's image bytes count; a plan's bytes on the same line never.
    comm_.countImage(sendsImageNext(write_.active()));
    const std::uint32_t events = tickActive();
    comm_.countImage(false);
    return events;
}

std::uint32_t PageSession::tickActive() {
    if (write_.reading()) {
        write_.tick();
        // A port lost while the beacon was still being identified, too.
        endOnLostLink(backup_, port_, link_);
        if (write_.reading()) return 0;
        // The backup read has ended; the form and the record are untouched.
        const BackupRead read = write_.backup(device_.config.model);
        if (read == BackupRead::NotRead) {
            setOutcome(device_, backup_.outcome, backup_.statusText);
            return kOperationEnded;
        }
        beaconImage_ = write_.backupImage();
        beaconModel_ = backup_.config.model;
        if (read == BackupRead::OtherModel) {
            setOutcome(device_, Outcome::ModelMismatch, exchange_text::kModelMismatch);
            return kOperationEnded;
        }
        saveImageFile(kBackupPath, write_.backupImage(), files_);
        backupFile_ = files_.take(kBackupPath);
        return kBackupReady | startWrite();
    }

    const bool wasBusy = exchangeBusy(device_);
    std::uint32_t events = 0;
    const bool refresh = write_.tick();
    if (endOnLostLink(device_, port_, link_) || refresh) {
        recordToForm(controls_, device_.config);
        enableControlsForModel(controls_, device_.config.model);
        events |= kShowForm;
    }
    if (wasBusy && !exchangeBusy(device_)) {
        // Part of the image may be on the beacon: it holds neither image.
        if (write_.cutOffMidWrite() && comm_.imageBytesSent() > 0) beaconImage_.reset();
        noteFinishedPhase(device_);
        events |= kOperationEnded;
    }
    return events;
}

// Only a whole image decodes to ConfigRead, and only a verified read-back
// ends in ConfigWritten.
void PageSession::noteFinishedPhase(const BeaconDevice& device) {
    if (device.outcome == Outcome::ConfigRead) {
        beaconImage_ = device.images.incomingImage;
        beaconModel_ = device.config.model;
    } else if (device.outcome == Outcome::ConfigWritten) {
        beaconImage_ = device.images.outgoingImage;
        beaconModel_ = device.config.model;
    }
}

std::uint32_t PageSession::save() {
    truncated_ = false;
    formToRecord(controls_, device_.config);
    files_.take(kSavePath);
    saveConfigFile(device_, kSavePath, context_, files_);
    return kShowForm | (truncated_ ? kTruncated : 0u);
}

std::uint32_t PageSession::load(std::vector<std::uint8_t> bytes) {
    files_.put(kLoadPath, std::move(bytes));
    loadConfigFile(device_, kLoadPath, files_);
    files_.take(kLoadPath);
    recordToForm(controls_, device_.config);
    enableControlsForModel(controls_, device_.config.model);
    return kShowForm;
}

std::string PageSession::exportJson() {
    formToRecord(controls_, device_.config);
    recordToForm(controls_, device_.config);
    return recordToJsonText(device_.config);
}

std::string PageSession::importJson(std::string_view text) {
    formToRecord(controls_, device_.config);
    if (InputError error = applyJsonText(text, device_.config)) return *error;
    recordToForm(controls_, device_.config);
    enableControlsForModel(controls_, device_.config.model);
    return {};
}

std::uint32_t PageSession::chooseModel(DeviceModel model) {
    formToRecord(controls_, device_.config);
    device_.config.model = model;
    enableControlsForModel(controls_, device_.config.model);
    return kShowForm;
}

bool PageSession::busy() const { return exchangeBusy(write_.active()); }

bool PageSession::nextTickReads() const { return tickDrainsLine(write_.active(), comm_); }

const std::string& PageSession::status() const { return write_.active().statusText; }

std::string PageSession::lostPortText() const {
    if (!lostLink(write_.active(), link_)) return {};
    std::string text = exchange_text::portLost(link_.reason());
    if (!writeStarted_) return text;
    const std::int32_t written = comm_.imageBytesSent();
    text += '\n' + exchange_text::cutWrite("Port lost", written);
    if (!exchange_text::mixedImage(written)) return text;
    if (backupFile_.empty()) {
        return text + "\nNo backup was made: write a whole configuration again (Write Config, or Load a " +
               std::string(file_text::kConfigExtension) + " file and write it) to make it consistent.";
    }
    return text + "\nTo restore it: Load " + kBackupPath + " (downloaded before the write)" +
           (rewriteNeedsNoLimit(write_.backupImage(), beaconModel_) ? ", tick \"No band limit\"" : "") +
           " and press Write Config.";
}

DeviceConfig PageSession::formRecord() {
    PageControls scratch = controls_;
    DeviceConfig record = device_.config;
    formToRecord(scratch, record);
    return record;
}

DeviceConfig PageSession::storedRecord(const DeviceConfig& record, DeviceModel model) {
    DeviceConfig trial = record;
    trial.model = model;
    DeviceConfig stored = wb::storedRecord(trial, CodecContext{context_.noLimit, [] {}}).record;
    stored.model = record.model;
    return stored;
}

std::vector<FieldChange> PageSession::compare(const DeviceConfig& before, const DeviceConfig& after,
                                             DeviceModel model) {
    DeviceConfig from = before;
    DeviceConfig to = after;
    from.model = model;
    to.model = model;
    const std::vector<const RecordField*> changed = changedFields(from, to);
    PageControls fromForm;
    PageControls toForm;
    recordToForm(fromForm, before);
    recordToForm(toForm, after);
    std::vector<FieldChange> changes;
    for (const PageField& field : kPageFields) {
        if (std::find(changed.begin(), changed.end(), &field.field) == changed.end()) continue;
        // A value finer than the form shows is no change to the user.
        const std::string was = fieldText(fromForm, field);
        const std::string now = fieldText(toForm, field);
        if (was != now) changes.push_back({field.id, was, now});
    }
    return changes;
}

std::vector<FieldChange> PageSession::storedValues() {
    const DeviceConfig record = formRecord();
    return compare(record, storedRecord(record, record.model), record.model);
}

std::vector<FieldChange> PageSession::pendingChanges() {
    if (!beaconImage_) return {};
    const DeviceConfig record = formRecord();
    return compare(decodedRecord(*beaconImage_, beaconModel_, record), storedRecord(record, beaconModel_),
                   beaconModel_);
}

}  // namespace wb
