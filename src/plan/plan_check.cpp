#include "plan/plan_check.h"

#include "config/codec_context.h"
#include "image/held_values.h"
#include "image/stored_record.h"
#include "plan/plan_texts.h"
#include "plan/beacon_identity.h"

namespace wb {
namespace {

std::string beaconPrefix(const std::string& name) { return "beacon \"" + name + "\": "; }

// What the beacon will hold: the image decoded back over the plan's record,
// so that members the layout lacks keep the plan's values.
PlanError encodeEntry(PlanEntry& entry, DeviceModel model, const PlanCheckOptions& options) {
    DeviceConfig record = entry.record;
    record.model = model;
    // What the plan gave over the factory defaults must be held as given.
    if (std::optional<std::string> unheld = unheldValue(record, DeviceConfig{}, options.noLimit)) {
        return beaconPrefix(entry.name) + *unheld;
    }
    bool cut = false;
    const StoredRecord stored = storedRecord(record, CodecContext{options.noLimit, [&cut] { cut = true; }});
    entry.image = stored.image;
    entry.stored = stored.record;
    if (stored.result != EncodeResult::Truncated && !cut) return std::nullopt;

    const std::string layout = "the " + std::string(modelTitle(model)) + " layout";
    if (entry.stored.morseText != entry.record.morseText) {
        return beaconPrefix(entry.name) + "morseText: " + layout + " would cut it to " +
               std::to_string(entry.stored.morseText.size()) + " characters";
    }
    return beaconPrefix(entry.name) + "tones: " + layout + " would cut the list to " +
           std::to_string(entry.stored.toneCount) + " tones";
}

}  // namespace

PlanError checkPlanEntries(HuntPlan& plan, const PlanCheckOptions& options) {
    for (PlanEntry& entry : plan.entries) {
        entry.record.model = plan.model;
        if (PlanError error = encodeEntry(entry, plan.model, options)) return error;
    }
    if (options.allowSameText) return std::nullopt;
    for (std::size_t i = 0; i < plan.entries.size(); ++i) {
        for (std::size_t j = i + 1; j < plan.entries.size(); ++j) {
            const PlanEntry& a = plan.entries[i];
            const PlanEntry& b = plan.entries[j];
            if (!sameIdentity(a.stored, b.stored)) continue;
            std::string texts = "the Morse text \"" + a.stored.morseText + "\"";
            if (a.stored.morseText != b.stored.morseText) {
                texts = "the same Morse text (\"" + a.stored.morseText + "\" and \"" +
                        b.stored.morseText + "\")";
            }
            return "beacons \"" + a.name + "\" and \"" + b.name + "\" would both send " + texts +
                   " (" + std::string(options.sameTextSwitch) + " allows it)";
        }
    }
    return std::nullopt;
}

}  // namespace wb
