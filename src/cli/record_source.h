#pragma once

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "config/device_config.h"

namespace wb {

// Where write, verify and encode take their record from: --config FILE.json,
// then each --set KEY=VALUE in order, over a starting record (the beacon's,
// a .wb1 file's or the factory defaults), stored with --no-limit.
struct RecordSource {
    std::string configPath;
    std::vector<std::string> settings;
    bool noLimit = false;
    std::string jsonText;  // the --config file, once read

    bool hasEdits() const { return !configPath.empty() || !settings.empty(); }
};

// Declares --config, --set and --no-limit; returns --config, which a
// command's file argument excludes.
CLI::Option* addRecordSourceOptions(CLI::App& command, RecordSource& source);
// --no-limit alone, for a command that stores records from elsewhere (a plan).
CLI::Option* addNoLimitFlag(CLI::App& command, bool& noLimit);

// Reads the --config file and tries the edits on the factory defaults, so
// that an unreadable file or a bad value is a usage error found before any
// port or output is opened.
void readRecordSource(RecordSource& source);

// `start` with the edits, its model kept. Throws UsageError for a bad
// value, and for an edited number that the model's layout cannot hold as
// given (naming its range); coarsening to the layout's step is no refusal,
// the dry run shows it.
DeviceConfig editedRecord(const RecordSource& source, const DeviceConfig& start);

}  // namespace wb
