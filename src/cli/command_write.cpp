#include <cerrno>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/device_session.h"
#include "cli/file_roles.h"
#include "cli/record_diff.h"
#include "cli/record_source.h"
#include "cli/usage_error.h"
#include "file/config_file.h"
#include "image/stored_record.h"

namespace wb {
namespace {

struct WriteOptions : RecordCommandOptions {
    std::string backupPath;
    bool dryRun = false;
    bool allowTruncate = false;
};

// The backup is the one copy of what the beacon held: never replaced.
std::vector<FileRole> backupFile(const WriteOptions& options) { return {{"--backup", options.backupPath}}; }

int writeWithSession(CliContext& context, const WriteOptions& options, DeviceSession& session,
                     const std::optional<ConfigImage>& fileImage) try {
    BeaconDevice& device = session.device;

    // Without a file the write starts from what the beacon holds now; a
    // backup and a dry run need that too. A file only needs the model.
    const bool readFirst = !fileImage || !options.backupPath.empty() || options.dryRun;
    GuardedWrite write(device, device, session.port());
    session.runRead(write, readFirst ? ExchangeState::VersionForRead : ExchangeState::ReadVersion);
    // The record's model is known only after the read (a file's); the
    // write's own identification checks it against the beacon.
    if (write.backup(DeviceModel::None) != BackupRead::Ready) return session.fail();
    // A dry run writes nothing, the backup included.
    if (!options.backupPath.empty() && !options.dryRun) {
        // Refused at the start when the name was taken; made since, by
        // someone else, it is still not replaced.
        int cause = 0;
        const Outcome saved = saveNewImageFile(options.backupPath, write.backupImage(), &cause);
        if (saved != Outcome::FileSaved) {
            context.err << (cause == EEXIST ? existsAlready(backupFile(options).front())
                                            : std::string(fileOutcomeText(saved)) + ": " + options.backupPath)
                        << "\nNo backup, so nothing was written.\n";
            return kExitFailed;
        }
        if (!options.device.quiet) context.err << "Backup saved to " << options.backupPath << '\n';
        session.setBackupPath(options.backupPath, write.backupImage(), device.config.model);
    }
    const DeviceConfig current = device.config;

    if (fileImage) useLoadedImage(device, *fileImage);
    device.config = editedRecord(options.source, device.config);

    int notices = 0;
    const CodecContext codec{options.source.noLimit, [&context, &notices] {
                                 ++notices;
                                 context.err << kTruncationCaption << ": " << kTruncationText << '\n';
                             }};
    const auto refuseCut = [&context] {
        context.err << "Nothing written; --allow-truncate writes the cut text and tones.\n";
        return kExitFailed;
    };

    if (options.dryRun) {
        // Decoded over the beacon's record: members its layout lacks stay.
        const DeviceConfig after = storedRecord(device.config, current, codec).record;
        if (notices > 0 && !options.allowTruncate) return refuseCut();
        const std::vector<std::string> changes = recordDifferences(current, after);
        if (changes.empty()) context.out << "Nothing would change.\n";
        for (const std::string& line : changes) context.out << line << '\n';
        return kExitOk;
    }

    bool notStarted = session.runWrite(write, codec);
    if (notStarted && notices > 0) {
        if (!options.allowTruncate) return refuseCut();
        // The record now holds the cut values, which fit.
        notStarted = session.runWrite(write, codec);
    }
    if (notStarted || exitCodeFor(device.outcome) != kExitOk) return session.fail();
    return kExitOk;
} catch (const UsageError& e) {
    // An edit the identified model's layout cannot hold: nothing written.
    context.err << e.what() << '\n';
    return kExitUsage;
}

}  // namespace

void addWriteCommand(CLI::App& app, CliContext& context) {
    const auto [command, options] = addRecordCommand<WriteOptions>(
        app, context,
        {"write", "Write a configuration to the beacon and verify it (Write Config)",
         "A .wb1 file to write; without one the beacon's current configuration is read and edited", false,
         backupFile, writeWithSession});
    command->add_flag("--dry-run", options->dryRun,
                      "Read the beacon and print which members would change; write nothing");
    command->add_option("--backup", options->backupPath,
                        "Save the beacon's current image to this .wb1 file first");
    command->add_flag("--allow-truncate", options->allowTruncate,
                      "Write even when the Morse text or the tones have to be cut");
}

}  // namespace wb
