#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/cli_commands.h"
#include "cli/device_session.h"
#include "cli/record_source.h"
#include "cli/usage_error.h"
#include "config/record_json.h"
#include "file/config_file.h"
#include "file/file_texts.h"
#include "image/stored_record.h"
#include "plan/audit_texts.h"
#include "plan/field_text.h"
#include "util/shown_text.h"

namespace wb {
namespace {

struct VerifyOptions : RecordCommandOptions {
    bool json = false;
};

// Reads the beacon and compares; never starts a write.
int verifyWithSession(CliContext& context, const VerifyOptions& options, DeviceSession& session,
                      const std::optional<ConfigImage>& fileImage) try {
    session.run(ExchangeState::VersionForRead);
    BeaconDevice& device = session.device;
    if (exitCodeFor(device.outcome) != kExitOk) return session.fail();
    const DeviceConfig beacon = device.config;
    const ConfigImage read = device.images.incomingImage;

    // What the beacon would hold: the file's image, or the edits as a write
    // would store them over the file's record or what the beacon holds now.
    BeaconDevice wanted = device;
    ConfigImage wantedImage{};
    if (fileImage) useLoadedImage(wanted, *fileImage);
    if (fileImage && !options.source.hasEdits()) {
        wantedImage = *fileImage;
    } else {
        wanted.config = editedRecord(options.source, wanted.config);
        bool cut = false;
        const CodecContext codec{options.source.noLimit, [&cut] { cut = true; }};
        const StoredRecord stored = storedRecord(wanted.config, codec);
        if (cut) {
            // As write refuses it: a cut record matching would prove nothing.
            context.err << kTruncationCaption << ": " << kTruncationText
                        << "\nNothing compared; the beacon cannot hold the text or tones as given.\n";
            return kExitFailed;
        }
        wantedImage = stored.image;
        wanted.config = stored.record;
    }
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < kImageSize; ++i) bytes += read[i] != wantedImage[i] ? 1 : 0;
    const std::string other = fileImage && !options.source.hasEdits() ? "file" : "record";
    const std::vector<ShownDifference> differences = shownDifferences(beacon, wanted.config);

    if (options.json) {
        nlohmann::ordered_json doc;
        const nlohmann::ordered_json a = recordToJson(beacon);
        const nlohmann::ordered_json b = recordToJson(wanted.config);
        doc["identical"] = bytes == 0;
        doc["differingBytes"] = bytes;
        doc["differences"] = nlohmann::ordered_json::array();
        for (const ShownDifference& d : differences) {
            doc["differences"].push_back({{"key", d.key}, {"beacon", a[d.key]}, {other, b[d.key]}});
        }
        context.out << doc.dump(2) << '\n';
    } else if (bytes == 0) {
        context.out << "The beacon holds the " << other << "'s configuration\n";
    } else {
        for (const ShownDifference& d : differences) {
            context.out << shownText(audit_text::difference(d.label, d.a, d.b, other)) << '\n';
        }
        context.out << bytes << (bytes == 1 ? " byte differs\n" : " bytes differ\n");
    }
    return bytes == 0 ? kExitOk : kExitFailed;
} catch (const UsageError& e) {
    // An edit the identified model's layout cannot hold.
    context.err << e.what() << '\n';
    return kExitUsage;
}

}  // namespace

void addVerifyCommand(CLI::App& app, CliContext& context) {
    const auto [command, options] = addRecordCommand<VerifyOptions>(
        app, context,
        {"verify", "Read the beacon and compare it with a file or a record; never writes",
         "The .wb1 file to compare with", true, nullptr, verifyWithSession});
    command->add_flag("--json", options->json, "Print one JSON object instead of the lines");
}

}  // namespace wb
