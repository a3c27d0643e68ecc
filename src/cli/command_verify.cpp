#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "cli/device_session.h"
#include "cli/file_roles.h"
#include "cli/usage_error.h"
#include "config/record_json.h"
#include "file/config_file.h"
#include "file/file_texts.h"
#include "image/stored_record.h"
#include "plan/audit_texts.h"
#include "plan/field_text.h"
#include "plan/shown_text.h"

namespace wb {
namespace {

struct VerifyOptions {
    DeviceCommandOptions device;
    std::string filePath;
    std::string configPath;
    std::vector<std::string> settings;
    bool noLimit = false;
    bool json = false;
};

void applyEdits(const VerifyOptions& options, const std::string& jsonText, DeviceConfig& config) {
    const DeviceModel model = config.model;
    if (!options.configPath.empty()) requireInput(applyJsonText(jsonText, config), "--config: ");
    for (const std::string& setting : options.settings) requireInput(applySetting(setting, config), "--set ");
    config.model = model;
}

// Reads the beacon and compares; never starts a write.
int verifyWithSession(CliContext& context, const VerifyOptions& options, DeviceSession& session,
                      const std::string& jsonText, const std::optional<ConfigImage>& fileImage) {
    session.run(ExchangeState::VersionForRead);
    BeaconDevice& device = session.device;
    if (exitCodeFor(device.outcome) != kExitOk) return session.fail();
    const DeviceConfig beacon = device.config;
    const ConfigImage read = device.images.incomingImage;

    // What the beacon would hold: the file's image, or the edits as a write
    // would store them over what it holds now.
    BeaconDevice wanted = device;
    ConfigImage wantedImage{};
    if (fileImage) {
        useLoadedImage(wanted, *fileImage);
        wantedImage = *fileImage;
    } else {
        applyEdits(options, jsonText, wanted.config);
        const StoredRecord stored = storedRecord(wanted.config, CodecContext{options.noLimit, {}});
        wantedImage = stored.image;
        wanted.config = stored.record;
    }
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < kImageSize; ++i) bytes += read[i] != wantedImage[i] ? 1 : 0;
    const std::string other = fileImage ? "file" : "record";
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
}

int runVerify(CliContext& context, const VerifyOptions& options) {
    if (options.filePath.empty() && options.configPath.empty() && options.settings.empty()) {
        throw UsageError("verify needs a .wb1 file, --config or --set");
    }
    refuseSharedFiles({{"the input file", options.filePath},
                       {"--config", options.configPath},
                       {"--trace", options.device.tracePath}});
    const std::string jsonText = options.configPath.empty() ? "" : readInputText(options.configPath, "--config:");
    DeviceConfig scratch;
    applyEdits(options, jsonText, scratch);
    std::optional<ConfigImage> fileImage;
    if (!readImageArgument(options.filePath, context.err, fileImage)) return kExitFailed;
    DeviceSession session(context, options.device);
    if (!session.ready()) return kExitFailed;
    return session.finish(verifyWithSession(context, options, session, jsonText, fileImage));
}

}  // namespace

void addVerifyCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand(
        "verify", "Read the beacon and compare it with a file or a record; never writes");
    auto options = std::make_shared<VerifyOptions>();
    addDeviceOptions(*command, options->device);
    auto* file = command->add_option("file", options->filePath, "The .wb1 file to compare with");
    auto* config = command->add_option("--config", options->configPath,
                                       "Compare with the beacon's record changed by this JSON file");
    file->excludes(config);
    command->add_option("--set", options->settings, "Change one member: KEY=VALUE (repeatable)")
        ->allow_extra_args(false);
    command->add_flag("--no-limit", options->noLimit, "Lift the 144-148 MHz limit (/NOLIMIT)");
    command->add_flag("--json", options->json, "Print one JSON object instead of the lines");
    command->callback([&context, options] { context.exitCode = runVerify(context, *options); });
}

}  // namespace wb
